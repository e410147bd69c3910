#pragma once

// A stream of pseudo-random bytes of a given length, made piece by piece as it is read, so that
// a value of any size can be fed to a writer without ever being held in memory. The same seed
// gives the same bytes.

#include <cstdint>
#include <istream>
#include <streambuf>
#include <string_view>
#include <vector>

namespace dbtest {

class RandomBytesBuf : public std::streambuf {
public:
    RandomBytesBuf(std::uint64_t size, std::uint64_t seed) : left_(size), state_(seed) {}

protected:
    int_type underflow() override {
        if (gptr() < egptr()) {
            return traits_type::to_int_type(*gptr());
        }
        if (left_ == 0) {
            return traits_type::eof();
        }
        const std::size_t n =
            left_ < chunk_.size() ? static_cast<std::size_t>(left_) : chunk_.size();
        for (std::size_t i = 0; i < n; ++i) {
            chunk_[i] = static_cast<char>(nextByte());
        }
        left_ -= n;
        setg(chunk_.data(), chunk_.data(), chunk_.data() + n);
        return traits_type::to_int_type(*gptr());
    }

private:
    // splitmix64, one byte per step is plenty for a test.
    unsigned char nextByte() {
        state_ += 0x9E3779B97F4A7C15ULL;
        std::uint64_t z = state_;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return static_cast<unsigned char>((z ^ (z >> 31)) >> 56);
    }

    std::uint64_t left_;
    std::uint64_t state_;
    std::vector<char> chunk_ = std::vector<char>(16 * 1024);
};

class RandomBytesStream : public std::istream {
public:
    RandomBytesStream(std::uint64_t size, std::uint64_t seed)
        : std::istream(nullptr), buf_(size, seed) {
        rdbuf(&buf_);
    }

private:
    RandomBytesBuf buf_;
};

// FNV-1a, fed piece by piece.
class Fnv1a {
public:
    void add(std::string_view bytes) {
        for (const char c : bytes) {
            hash_ = (hash_ ^ static_cast<unsigned char>(c)) * 0x100000001B3ULL;
        }
        size_ += bytes.size();
    }
    std::uint64_t hash() const { return hash_; }
    std::uint64_t size() const { return size_; }

private:
    std::uint64_t hash_ = 0xCBF29CE484222325ULL;
    std::uint64_t size_ = 0;
};

inline Fnv1a hashOfStream(std::istream& in) {
    Fnv1a h;
    std::vector<char> buf(64 * 1024);
    while (in.read(buf.data(), static_cast<std::streamsize>(buf.size())) || in.gcount() > 0) {
        h.add(std::string_view(buf.data(), static_cast<std::size_t>(in.gcount())));
    }
    return h;
}

} // namespace dbtest
