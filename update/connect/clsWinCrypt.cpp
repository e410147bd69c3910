#include "update/connect/clsWinCrypt.h"

#include "platform/text/Text.h"

#include <cerrno>
#include <cstring>
#include <nettle/arcfour.h>
#include <nettle/sha1.h>

namespace update::connect {

namespace {

constexpr std::string_view kPrefixCreateHash = "Ошибка создания Hash-объекта: ";
constexpr std::string_view kPrefixEncrypt = "Ошибка кодирования строки: ";
constexpr std::string_view kPrefixDecrypt = "Ошибка раскодирования строки: ";

// The provider derives a 40-bit RC4 key and pads it with its zero salt to 16 bytes.
constexpr std::size_t kKeyBytes = 16;
constexpr std::size_t kEffectiveKeyBytes = 5;

const std::uint8_t* asBytes(const char* data) {
    return reinterpret_cast<const std::uint8_t*>(data);
}

} // namespace

struct TWinCryptObject::Key {
    arcfour_ctx initial;
};

TWinCryptObject::TWinCryptObject() {
    SetProvider("");
}

TWinCryptObject::~TWinCryptObject() = default;

void TWinCryptObject::clearLastError() {
    LastErrorCode_ = 0;
    LastErrorText_.clear();
}

std::string TWinCryptObject::StoreLastError(std::string_view prefix, std::uint32_t code,
                                            std::string_view message) {
    LastErrorCode_ = code;
    LastErrorText_ = std::string(prefix) + std::string(message);
    return LastErrorText_;
}

void TWinCryptObject::SetProvider(std::string_view name) {
    clearLastError();
    ProviderHandle_ = false;
    ProviderName_ = name.empty() ? std::string(kDefaultProviderName) : std::string(name);
    // Acquiring a context of an unknown provider fails silently, as the provider's own
    // acquisition does; the next key derivation reports it.
    ProviderHandle_ = ProviderName_ == kDefaultProviderName;
}

void TWinCryptObject::SetPassPhrase(std::string_view passPhrase) {
    clearLastError();
    PassPhrase_ = std::string(passPhrase);
    // The key of an earlier pass phrase goes in any case: a failed derivation must not leave
    // the object enciphering with a key that no longer matches PassPhrase.
    KeyHandle_.reset();
    if (!ProviderHandle_) {
        StoreLastError(kPrefixCreateHash, static_cast<std::uint32_t>(EINVAL),
                       "no context of the cryptographic provider \"" + ProviderName_ +
                           "\": the only provider known is \"" + std::string(kDefaultProviderName) +
                           "\"");
        return;
    }
    sha1_ctx hash;
    sha1_init(&hash);
    sha1_update(&hash, PassPhrase_.size(), asBytes(PassPhrase_.data()));
    std::uint8_t digest[SHA1_DIGEST_SIZE];
    sha1_digest(&hash, sizeof digest, digest);

    std::uint8_t keyBytes[kKeyBytes] = {};
    std::memcpy(keyBytes, digest, kEffectiveKeyBytes);
    auto key = std::make_unique<Key>();
    arcfour_set_key(&key->initial, kKeyBytes, keyBytes);
    KeyHandle_ = std::move(key);
}

void TWinCryptObject::setPassPhraseText(std::string_view utf8) {
    SetPassPhrase(platform::text::utf8ToCp1251(utf8));
}

bool TWinCryptObject::runKey(std::string& bytes, std::string_view failurePrefix) {
    clearLastError();
    if (!KeyHandle_) {
        StoreLastError(failurePrefix, static_cast<std::uint32_t>(EINVAL),
                       "no key is held: the pass phrase has not been set successfully");
        return false;
    }
    if (bytes.empty()) {
        return true;
    }
    // A copy of the freshly keyed state: every string starts at the beginning of the stream.
    arcfour_ctx state = KeyHandle_->initial;
    auto* data = reinterpret_cast<std::uint8_t*>(bytes.data());
    arcfour_crypt(&state, bytes.size(), data, data);
    return true;
}

bool TWinCryptObject::EncryptString(std::string& bytes) {
    return runKey(bytes, kPrefixEncrypt);
}

bool TWinCryptObject::DecryptString(std::string& bytes) {
    return runKey(bytes, kPrefixDecrypt);
}

std::optional<std::string> TWinCryptObject::encryptText(std::string_view utf8) {
    std::string bytes = platform::text::utf8ToCp1251(utf8);
    if (!EncryptString(bytes)) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::string> TWinCryptObject::decryptText(std::string_view bytes) {
    std::string plain(bytes);
    if (!DecryptString(plain)) {
        return std::nullopt;
    }
    return platform::text::cp1251ToUtf8(plain);
}

} // namespace update::connect
