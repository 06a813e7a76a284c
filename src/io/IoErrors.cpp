#include "IoErrors.h"

#include <cerrno>

namespace sf {

namespace {

struct IoErrorKind {
    int code;
    const char *text;
};

constexpr IoErrorKind FileNotFound{2, "ファイルが見つかりません"};
constexpr IoErrorKind BadPath{3, "ファイル名の指定が間違っています"};
constexpr IoErrorKind TooManyFiles{4, "オープンしたファイルが多すぎます"};
constexpr IoErrorKind AccessDenied{5, "ファイルへのアクセスが拒否されました"};
// A full disk says more to a user than a bare code.
constexpr IoErrorKind DiskFull{101, "ディスクがいっぱいです"};

const IoErrorKind *kindOf(int err)
{
    switch (err) {
    case ENOENT:
        return &FileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return &BadPath;
    case EMFILE:
    case ENFILE:
        return &TooManyFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        return &AccessDenied;
    case ENOSPC:
    case EDQUOT:
        return &DiskFull;
    default:
        return nullptr;
    }
}

} // namespace

std::string ioErrorText(int err)
{
    if (const IoErrorKind *kind = kindOf(err))
        return kind->text;
    return "I/O エラー (" + std::to_string(err) + ")";
}

InOutError ioError(int err)
{
    const IoErrorKind *kind = kindOf(err);
    return InOutError(kind ? kind->code : err, ioErrorText(err));
}

} // namespace sf
