#pragma once
#include <QFunctionPointer>
#include <QString>
#include <QStringList>

// Loads the product's libraries by base name ("UIManager", "CodeLog", ...), the way the host's
// platform loads its DLLs: from the folder of the loading library, then the application's folder.
// Libraries stay loaded for the life of the process.
class CLibLoader
{
public:
    // Resolves `symbol` in library `baseName`; null when the library or the symbol is missing.
    // A library that loads but lacks the symbol is unloaded again.
    static QFunctionPointer Resolve(const QString& baseName, const char* symbol);

    // Loads `baseName` and asks its factory NRCreateObject(objectId, &out) for an object.
    // Null when the library, the factory or the object is missing.
    static void* CreateNRObject(const QString& baseName, unsigned objectId);

    // Full path of the file that would be loaded for `baseName`, empty when none exists.
    static QString Locate(const QString& baseName);

    // Test hook: names listed here (or in the comma-separated environment variable
    // NR_HIDDEN_LIBRARIES, which reaches every shared object) are reported missing.
    static void SetHiddenLibraries(const QStringList& baseNames);
    static QStringList HiddenLibraries();
};

// Signature of the factory every product library exports.
extern "C" {
typedef int (*NRCreateObjectFn)(unsigned objectId, void** out);
}
