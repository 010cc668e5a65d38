#include "passwordhash.h"

#include "dataerror.h"

#include <sodium.h>

namespace {

// Slow enough to make guessing expensive, quick enough for a login (OWASP's Argon2id minimum).
constexpr unsigned long long Operations = 2;
constexpr size_t Memory = 19u * 1024 * 1024;

void ready() {
    static const bool initialised = sodium_init() >= 0;
    if (!initialised)
        throw DataError(QStringLiteral("密码模块无法初始化"));
}

} // namespace

namespace PasswordHash {

QString make(const QString& password) {
    ready();
    const QByteArray plain = password.toUtf8();
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, plain.constData(), size_t(plain.size()), Operations, Memory) != 0)
        throw DataError(QStringLiteral("内存不足，密码无法保存"));
    return QString::fromLatin1(hash);
}

bool matches(const QString& stored, const QString& typed) {
    ready();
    const QByteArray hash = stored.toLatin1();
    const QByteArray plain = typed.toUtf8();
    return isHash(stored) &&
           crypto_pwhash_str_verify(hash.constData(), plain.constData(), size_t(plain.size())) == 0;
}

bool isHash(const QString& stored) {
    return stored.startsWith(QLatin1String("$argon2id$")) && stored.size() < crypto_pwhash_STRBYTES;
}

} // namespace PasswordHash
