#pragma once
// A file written under a private temporary name beside its final name and
// renamed into place when complete: a reader never sees half a file, two
// writers never mix their lines, and a killed process leaves only the
// temporary. The temporary is created exclusively under a fresh name, so a
// link planted in the folder is never followed.
//
// Header-only: the installer shares it and links the standard library only.

#include <array>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <utility>

namespace kelvara {

// The temporaries being written, for a signal handler to remove. Slots hold
// plain characters, so that reading them needs nothing a handler may not do.
//
// Once the handler has begun (Close), no temporary is created and none is
// renamed into place; it waits for a creation or rename under way to end,
// so every temporary it removes is one it knows, and every target it names
// as not written is one that was not renamed.
class PendingTemporaries {
public:
    // Room for every results file a batch on many cores holds at once.
    static constexpr std::size_t kSlots = 256;
    static constexpr std::size_t kPathLength = 4096;

    // Around the creation of a temporary: false (nothing may be created)
    // once closing has begun.
    static bool BeginCreate() {
        Creating().fetch_add(1);
        if (!Closing().load()) return true;
        Creating().fetch_sub(1);
        return false;
    }
    static void EndCreate() { Creating().fetch_sub(1); }

    static int Add(const std::filesystem::path& temporary, const std::filesystem::path& target) {
        const std::string temporaryText = temporary.string(), targetText = target.string();
        if (temporaryText.size() >= kPathLength || targetText.size() >= kPathLength) return -1;
        for (std::size_t slot = 0; slot < kSlots; ++slot) {
            int expected = kFree;
            if (!State()[slot].compare_exchange_strong(expected, kFilling)) continue;
            std::memcpy(Paths()[slot].data(), temporaryText.c_str(), temporaryText.size() + 1);
            std::memcpy(Targets()[slot].data(), targetText.c_str(), targetText.size() + 1);
            State()[slot].store(kWriting);
            return static_cast<int>(slot);
        }
        return -1;
    }
    // Before the temporary of slot is renamed: false (it must not be) once
    // closing has begun.
    static bool BeginRename(int slot) {
        if (slot < 0) return !Closing().load();
        State()[static_cast<std::size_t>(slot)].store(kRenaming);
        if (!Closing().load()) return true;
        State()[static_cast<std::size_t>(slot)].store(kWriting);
        return false;
    }
    static void Remove(int slot) {
        if (slot >= 0) State()[static_cast<std::size_t>(slot)].store(kFree);
    }

    // The handler's side, all safe in a signal handler. Close stops new
    // creations and renames; Settled tells when those under way are done.
    static void Close() { Closing().store(true); }
    static bool Settled() {
        if (Creating().load() != 0) return false;
        for (std::size_t slot = 0; slot < kSlots; ++slot) {
            const int state = State()[slot].load();
            if (state == kFilling || state == kRenaming) return false;
        }
        return true;
    }
    // Removes every temporary still being written.
    static void DeleteAll() {
        for (std::size_t slot = 0; slot < kSlots; ++slot) {
            if (State()[slot].load() == kWriting) std::remove(Paths()[slot].data());
        }
    }
    // Calls visit(target) for the target of each temporary being written.
    template <typename Visit>
    static void ForEachTarget(Visit visit) {
        for (std::size_t slot = 0; slot < kSlots; ++slot) {
            if (State()[slot].load() == kWriting) visit(static_cast<const char*>(Targets()[slot].data()));
        }
    }

private:
    enum : int { kFree, kFilling, kWriting, kRenaming };

    static std::atomic<bool>& Closing() {
        static std::atomic<bool> closing{false};
        return closing;
    }
    static std::atomic<int>& Creating() {
        static std::atomic<int> creating{0};
        return creating;
    }
    static std::array<std::atomic<int>, kSlots>& State() {
        static std::array<std::atomic<int>, kSlots> state{};
        return state;
    }
    static std::array<std::array<char, kPathLength>, kSlots>& Paths() {
        static std::array<std::array<char, kPathLength>, kSlots> paths{};
        return paths;
    }
    static std::array<std::array<char, kPathLength>, kSlots>& Targets() {
        static std::array<std::array<char, kPathLength>, kSlots> targets{};
        return targets;
    }
};

class TemporaryFile {
public:
    TemporaryFile() = default;
    ~TemporaryFile() { Abandon(); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    // A finished temporary changes hands (from a batch's worker to the one
    // that renames the results into place in list order).
    TemporaryFile(TemporaryFile&& other) noexcept { TakeFrom(other); }
    TemporaryFile& operator=(TemporaryFile&& other) noexcept {
        if (this != &other) {
            Abandon();
            TakeFrom(other);
        }
        return *this;
    }

    // Creates the temporary beside target for writing in binary mode. False
    // (with LastError set) when no temporary could be created there.
    bool Create(const std::filesystem::path& target) {
        Abandon();
        target_ = target;
        if (!PendingTemporaries::BeginCreate()) {
            lastError_ = EINTR;  // the program is ending
            return false;
        }
        const bool created = CreateUniquely();
        PendingTemporaries::EndCreate();
        return created;
    }

    std::FILE* Stream() const { return stream_; }
    bool IsOpen() const { return stream_ != nullptr; }
    // Created and neither committed nor abandoned yet.
    bool IsCreated() const { return !temporary_.empty(); }
    const std::filesystem::path& Target() const { return target_; }
    const std::filesystem::path& Temporary() const { return temporary_; }
    int LastError() const { return lastError_; }

    // Closes the temporary, which stays under its private name until
    // Commit, KeepAs or Abandon. False (with LastError set) when the close
    // failed: on a full disk or over quota that is where a write error
    // shows, and such a temporary is never committed.
    bool Close() {
        if (stream_ == nullptr) return !temporary_.empty() && !closeFailed_;
        errno = 0;
        const bool closed = std::fclose(stream_) == 0;
        stream_ = nullptr;
        if (!closed) {
            lastError_ = errno != 0 ? errno : EIO;
            closeFailed_ = true;
        }
        return closed;
    }

    // Closes the temporary if still open and renames it over the target.
    // False (with LastError set, the temporary removed) when the close or
    // the rename failed.
    bool Commit() {
        if (temporary_.empty()) return false;
        if (!Close()) {
            Discard();
            return false;
        }
        return RenameTo(target_);
    }

    // After a failure: closes what was written and renames it to name (the
    // target's name plus ".partial", say) instead of the target, which stays
    // as it was. What a failing close or write left is kept all the same:
    // it is partial by its name. False (the temporary removed) when the
    // rename failed.
    bool KeepAs(const std::filesystem::path& name) {
        if (temporary_.empty()) return false;
        Close();
        return RenameTo(name);
    }

    // Closes and removes the temporary; the target is left as it was.
    void Abandon() {
        if (stream_ != nullptr) std::fclose(stream_);
        stream_ = nullptr;
        if (!temporary_.empty()) Discard();
    }

private:
    // A fresh name beside the target, created exclusively, and registered.
    bool CreateUniquely() {
        for (int attempt = 0; attempt < 100; ++attempt) {
            temporary_ = TemporaryNameFor(target_);
            errno = 0;
            // "x": created only if it does not exist, never through a link.
#ifdef _WIN32
            stream_ = _wfopen(temporary_.c_str(), L"wbx");
#else
            stream_ = std::fopen(temporary_.c_str(), "wbx");
#endif
            if (stream_ != nullptr) {
                pendingSlot_ = PendingTemporaries::Add(temporary_, target_);
                lastError_ = 0;
                return true;
            }
            lastError_ = errno;
            if (lastError_ != EEXIST) break;
        }
        temporary_.clear();
        return false;
    }

    // Not once the program has begun to end: its handler then removes the
    // temporary and names the target as not written.
    bool RenameTo(const std::filesystem::path& name) {
        if (!PendingTemporaries::BeginRename(pendingSlot_)) {
            lastError_ = EINTR;
            return false;
        }
        std::error_code error;
        std::filesystem::rename(temporary_, name, error);
        if (error) {
            lastError_ = error.value();
            Discard();
            return false;
        }
        Forget();
        return true;
    }

    void TakeFrom(TemporaryFile& other) {
        target_ = std::move(other.target_);
        temporary_ = std::move(other.temporary_);
        other.temporary_.clear();
        stream_ = std::exchange(other.stream_, nullptr);
        pendingSlot_ = std::exchange(other.pendingSlot_, -1);
        lastError_ = other.lastError_;
        closeFailed_ = std::exchange(other.closeFailed_, false);
    }
    void Discard() {
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
        Forget();
    }
    void Forget() {
        PendingTemporaries::Remove(pendingSlot_);
        pendingSlot_ = -1;
        temporary_.clear();
        closeFailed_ = false;
    }
    // The target's name, cut so that a name near the system's limit still
    // leaves room for the suffix, then "." + ten random characters + ".part".
    static std::filesystem::path TemporaryNameFor(const std::filesystem::path& target) {
        constexpr std::size_t kKeptNameLength = 200;
        auto name = target.filename().native();
        if (name.size() > kKeptNameLength) name.resize(kKeptNameLength);
        std::filesystem::path temporary = target;
        temporary.replace_filename(name);
        temporary += "." + UniqueText() + ".part";
        return temporary;
    }
    static std::string UniqueText() {
        static std::atomic<std::uint64_t> counter{0};
        static const std::uint64_t seed = [] {
            std::random_device device;
            return (static_cast<std::uint64_t>(device()) << 32) ^ device();
        }();
        std::uint64_t value = seed ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
        static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuv";
        std::string text;
        for (int i = 0; i < 10; ++i) {
            text += kDigits[value & 31u];
            value >>= 5;
        }
        return text;
    }

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::FILE* stream_ = nullptr;
    int pendingSlot_ = -1;
    int lastError_ = 0;
    bool closeFailed_ = false;
};

}  // namespace kelvara
