#include "tests/support/unreadable_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <windows.h>

#include <aclapi.h>
#endif

namespace {

#ifdef Q_OS_WIN
bool deny_reading_to_everyone(const QString& path) {
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sid_size = sizeof sid;
    if (!CreateWellKnownSid(WinWorldSid, nullptr, sid, &sid_size))
        return false;
    EXPLICIT_ACCESS_W deny{};
    deny.grfAccessPermissions = FILE_READ_DATA;
    deny.grfAccessMode = DENY_ACCESS;
    deny.grfInheritance = NO_INHERITANCE;
    deny.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    deny.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    deny.Trustee.ptstrName = reinterpret_cast<LPWSTR>(sid);

    const std::wstring name = QDir::toNativeSeparators(path).toStdWString();
    PACL old_acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(name.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &old_acl, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    PACL new_acl = nullptr;
    bool done = SetEntriesInAclW(1, &deny, old_acl, &new_acl) == ERROR_SUCCESS;
    if (done)
        done = SetNamedSecurityInfoW(const_cast<LPWSTR>(name.c_str()), SE_FILE_OBJECT,
                                     DACL_SECURITY_INFORMATION, nullptr, nullptr, new_acl,
                                     nullptr) == ERROR_SUCCESS;
    LocalFree(new_acl);
    LocalFree(descriptor);
    return done;
}
#endif

} // namespace

bool make_unreadable_file(const QString& path) {
#ifdef Q_OS_WIN
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("spectrum") != 8)
        return false;
    file.close();
    if (!deny_reading_to_everyone(path))
        return false;
#else
    if (!QFile::link(path + QStringLiteral(".gone"), path))
        return false;
#endif
    QFile probe(path);
    return !probe.open(QIODevice::ReadOnly);
}

bool unreadable_file_exists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}
