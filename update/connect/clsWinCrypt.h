#pragma once

// The RC4 cipher keyed from a pass phrase, as the product's cryptographic provider does it:
// the key is the first 5 bytes of the SHA-1 digest of the pass phrase followed by 11 zero
// bytes (a 40-bit key with a zero salt, 16 key bytes). Enciphering and deciphering are the
// same operation; every call starts the key stream afresh, so one object serves any number of
// strings in any order.
//
// Failures never throw: they leave LastErrorCode and LastErrorText set and make the
// operation report false.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace update::connect {

// The only provider known; the empty provider name selects it.
inline constexpr std::string_view kDefaultProviderName =
    "Microsoft Base Cryptographic Provider v1.0";

// The pass phrase of the login's credentials and of the registry's connection value.
inline constexpr std::string_view kLoginPassPhrase = "5E0C3A7D21B94F6E08";

class TWinCryptObject {
public:
    // Selects the default provider.
    TWinCryptObject();
    ~TWinCryptObject();
    TWinCryptObject(const TWinCryptObject&) = delete;
    TWinCryptObject& operator=(const TWinCryptObject&) = delete;

    // Clears the last error and selects a provider; the empty name selects the default one.
    // An unknown provider is not reported here: the next SetPassPhrase fails.
    void SetProvider(std::string_view name);
    // Clears the last error and derives the key from the pass phrase's windows-1251 bytes. On
    // failure no key is held, so nothing is enciphered with an earlier pass phrase.
    void SetPassPhrase(std::string_view passPhrase);
    // The pass phrase as UTF-8 text; throws platform::text::TextError for text that
    // windows-1251 cannot hold.
    void setPassPhraseText(std::string_view utf8);

    // Run the key over the bytes in place (the length does not change). False, with the last
    // error set, when no key is held.
    bool EncryptString(std::string& bytes);
    bool DecryptString(std::string& bytes);

    // UTF-8 text to enciphered windows-1251 bytes and back; nothing when no key is held.
    // encryptText throws platform::text::TextError for text that windows-1251 cannot hold.
    std::optional<std::string> encryptText(std::string_view utf8);
    std::optional<std::string> decryptText(std::string_view bytes);

    const std::string& ProviderName() const { return ProviderName_; }
    const std::string& PassPhrase() const { return PassPhrase_; }
    // System error code (errno value) of the last failure, 0 when none.
    std::uint32_t LastErrorCode() const { return LastErrorCode_; }
    // The step's prefix and the reason, empty when none.
    const std::string& LastErrorText() const { return LastErrorText_; }

private:
    struct Key;

    void clearLastError();
    // Records a failure of a step and returns its message.
    std::string StoreLastError(std::string_view prefix, std::uint32_t code,
                               std::string_view message);
    bool runKey(std::string& bytes, std::string_view failurePrefix);

    std::string ProviderName_;
    bool ProviderHandle_ = false; // a context of a known provider is held
    std::string PassPhrase_;
    std::unique_ptr<Key> KeyHandle_; // the cipher state right after keying
    std::uint32_t LastErrorCode_ = 0;
    std::string LastErrorText_;
};

} // namespace update::connect
