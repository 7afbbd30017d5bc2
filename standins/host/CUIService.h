#pragma once
#include "IUIService.h"

#include <QString>

// The UI manager's service object: texts of result codes, the folder check on this machine's
// mapping of Windows-form paths, and the product's support addresses.
class CUIService : public IUIService
{
public:
    CUIService();
    ~CUIService() override;
    CUIService(const CUIService&) = delete;
    CUIService& operator=(const CUIService&) = delete;

    uint32_t GetCodeText(uint32_t code, char16_t* buf, uint32_t chars) override;
    uint32_t CheckFolderExists(const char16_t* path) override;
    uint32_t GetSupportUrl(const char16_t* key, char16_t* buf, uint32_t chars) override;

    // The text GetCodeText writes for `code`.
    static QString CodeText(uint32_t code);

    // The INI file whose Drives/Network/NAS sections map paths ("./default.ini" by default).
    void SetDefaultIniPath(const QString& path);
    QString DefaultIniPath() const;

private:
    class Private;
    Private* d;
};
