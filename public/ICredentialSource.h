#pragma once
#include <QString>

// What the credential records need of a page's tree: the share behind a path and the user name
// and password the tree learnt for a share. The page adapts its browser to this.
class ICredentialSource
{
public:
    virtual ~ICredentialSource() = default;
    // The share ("\\server\share") that backs `path`; a null string when the tree knows none.
    virtual QString ShareOfPath(const QString& path) = 0;
    // Credentials of a share given with a trailing backslash; false when the tree has none.
    virtual bool Credentials(const QString& shareKey, QString* user, QString* password) = 0;
};
