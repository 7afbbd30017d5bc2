#pragma once
#include <QScopedPointer>
#include <QString>
#include <QStringList>

class QSettings;

// One INI file of the product (QSettings, INI format, UTF-8). Every accessor opens the group,
// reads or writes the key and closes the group again. A missing file reads as empty; setters
// create it and flush at once. Safe to call from several threads.
class CKWIniParser
{
public:
    explicit CKWIniParser(const QString& path);
    ~CKWIniParser();
    CKWIniParser(const CKWIniParser&) = delete;
    CKWIniParser& operator=(const CKWIniParser&) = delete;

    QString FilePath() const;
    bool FileExists() const;
    // Drops everything cached and reads `path` (or the current file) afresh.
    void Reload(const QString& path = QString());

    // False when key or group is null, the value is absent or it is not a boolean.
    bool GetBool(const QString& key, const QString& group) const;
    QString GetString(const QString& key, const QString& group) const;
    // Comma-separated in the file; empty when absent.
    QStringList GetStringList(const QString& key, const QString& group) const;
    // `defaultValue` when absent or not an integer.
    int GetInt(const QString& key, const QString& group, int defaultValue = 0) const;
    // 0 with the outputs set when the value is a valid size ("@Size(w h)", "w,h" or "w h",
    // neither negative); -1 otherwise, the outputs untouched.
    int GetSize(const QString& key, int* width, int* height, const QString& group) const;
    // Likewise for a rectangle ("@Rect(x y w h)" or four numbers).
    int GetRect(const QString& key, int* x, int* y, int* width, int* height, const QString& group) const;

    // Setters answer whether the file was written.
    bool SetBool(const QString& key, bool value, const QString& group);
    bool SetInt(const QString& key, int value, const QString& group);
    bool SetString(const QString& key, const QString& value, const QString& group);
    // Each number as decimal text followed by `separator`: {1, 2} with ',' gives "1,2,".
    bool SetIntList(const QString& key, const int* values, int count, QChar separator, const QString& group);

    bool HasGroup(const QString& group) const;
    bool HasKey(const QString& key, const QString& group) const;
    QStringList ChildKeys(const QString& group) const;

private:
    class Private;
    QScopedPointer<Private> d;
};
