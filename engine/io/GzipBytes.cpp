#include "io/GzipBytes.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "io/FileChecks.h"

namespace kelvara {

namespace {

constexpr std::size_t kInputSize = 1 << 16;
// zlib's window bits plus 16: gzip members only, with their header and trailer checked.
constexpr int kGzipWindowBits = 15 + 16;

}  // namespace

struct GzipBytes::Inflater {
    z_stream stream{};
    bool started = false;
};

bool StartsAsGzip(const unsigned char* bytes, std::size_t size) {
    return size >= 2 && bytes[0] == 0x1f && bytes[1] == 0x8b;
}

GzipBytes::GzipBytes() : inflater_(std::make_unique<Inflater>()), input_(new unsigned char[kInputSize]) {}

GzipBytes::~GzipBytes() { Close(); }

bool GzipBytes::Start(std::FILE* compressed, const char* first, std::size_t firstCount) {
    Close();
    z_stream& stream = inflater_->stream;
    stream = z_stream{};
    if (inflateInit2(&stream, kGzipWindowBits) != Z_OK) return false;
    firstCount = std::min(firstCount, kInputSize);
    std::memcpy(input_.get(), first, firstCount);
    stream.next_in = input_.get();
    stream.avail_in = static_cast<uInt>(firstCount);
    inflater_->started = true;
    file_ = compressed;
    ended_ = false;
    return true;
}

void GzipBytes::Close() {
    if (inflater_->started) inflateEnd(&inflater_->stream);
    inflater_->started = false;
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    ended_ = false;
}

bool GzipBytes::FillInput(int& error) {
    z_stream& stream = inflater_->stream;
    errno = 0;
    const std::size_t got = std::fread(input_.get(), 1, kInputSize, file_);
    if (got < kInputSize && std::ferror(file_) != 0) {
        error = errno != 0 ? errno : EIO;
        return false;
    }
    stream.next_in = input_.get();
    stream.avail_in = static_cast<uInt>(got);
    return got > 0;
}

bool GzipBytes::NextMember(int& error) {
    z_stream& stream = inflater_->stream;
    if (stream.avail_in == 0 && !FillInput(error)) {
        ended_ = error == 0;
        return ended_;
    }
    // The magic may be cut by the input buffer's end: keep its first byte.
    if (stream.avail_in == 1 && stream.next_in[0] == 0x1f) {
        input_[0] = 0x1f;
        errno = 0;
        const std::size_t got = std::fread(input_.get() + 1, 1, kInputSize - 1, file_);
        if (std::ferror(file_) != 0) {
            error = errno != 0 ? errno : EIO;
            return false;
        }
        stream.next_in = input_.get();
        stream.avail_in = static_cast<uInt>(got + 1);
    }
    // Anything else after a member would be silently lost: it is damage.
    if (!StartsAsGzip(stream.next_in, stream.avail_in) || inflateReset(&stream) != Z_OK) {
        error = kDamagedCompression;
        return false;
    }
    return true;
}

std::size_t GzipBytes::Read(char* into, std::size_t size, int& error) {
    error = 0;
    if (file_ == nullptr) return 0;
    z_stream& stream = inflater_->stream;
    std::size_t got = 0;
    while (got < size && !ended_) {
        if (stream.avail_in == 0 && !FillInput(error)) {
            // The file ended inside a member: its data is cut short.
            if (error == 0) error = kDamagedCompression;
            return got;
        }
        const std::size_t room = std::min<std::size_t>(size - got, 1u << 30);
        stream.next_out = reinterpret_cast<Bytef*>(into + got);
        stream.avail_out = static_cast<uInt>(room);
        const int result = inflate(&stream, Z_NO_FLUSH);
        got += room - stream.avail_out;
        if (result == Z_STREAM_END) {
            if (!NextMember(error)) return got;
        } else if (result != Z_OK && !(result == Z_BUF_ERROR && stream.avail_in == 0)) {
            error = kDamagedCompression;
            return got;
        }
    }
    return got;
}

}  // namespace kelvara
