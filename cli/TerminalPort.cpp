#include "TerminalPort.h"

#include <algorithm>

namespace kelvara::cli {

namespace {
constexpr int kBarWidth = 40;
// Status texts may change once per block; redraw them at most this often.
constexpr std::chrono::milliseconds kStatusRedrawInterval{100};
}  // namespace

TerminalPort::TerminalPort(std::FILE* stream, bool liveOutput, bool quiet)
    : stream_(stream), liveOutput_(liveOutput), quiet_(quiet) {}

TerminalPort::~TerminalPort() { EndLiveLine(); }

void TerminalPort::WriteOneLine(std::string_view text) {
    std::string aliased;
    if (!aliasedFile_.empty() && text.find(aliasedFile_) != std::string_view::npos) {
        aliased = text;
        for (std::size_t at = 0; (at = aliased.find(aliasedFile_, at)) != std::string::npos; at += aliasShown_.size()) {
            aliased.replace(at, aliasedFile_.size(), aliasShown_);
        }
        text = aliased;
    }
    // A title may hold a line feed; on a terminal the message stays one line.
    for (char c : text) std::fputc(c == '\n' || c == '\r' ? ' ' : c, stream_);
}

void TerminalPort::ShowMessage(std::string_view text, std::string_view title, MessageIcon icon) {
    EndLiveLine();
    // Only the completion notices come without an icon.
    if (quiet_ && icon == MessageIcon::None) return;
    WriteOneLine(title);
    std::fputs(": ", stream_);
    WriteOneLine(text);
    std::fputc('\n', stream_);
    for (std::string* line : {&explanation_, &partial_}) {
        if (line->empty()) continue;
        WriteOneLine(*line);
        std::fputc('\n', stream_);
        line->clear();
    }
    std::fflush(stream_);
}

void TerminalPort::ShowWarning(std::string_view text) {
    EndLiveLine();
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::fputs("kelvara-cli: warning: ", stream_);
        WriteOneLine(text.substr(start, end - start));
        std::fputc('\n', stream_);
        start = end + 1;
    }
    std::fflush(stream_);
}

void TerminalPort::ShowFileWarning(std::string_view file, std::string_view text) {
    EndLiveLine();
    WriteOneLine("kelvara-cli: ");
    WriteOneLine(file);
    WriteOneLine(": ");
    WriteOneLine(text);
    std::fputc('\n', stream_);
    std::fflush(stream_);
}

void TerminalPort::ShowSharedHalfHours(std::string_view first, std::string_view second, std::string_view time,
                                       int pairs) {
    ShowWarning(SharedHalfHoursText(first, second, time, pairs, "'kelvara-cli run --standard --list LIST'"));
}

void TerminalPort::ExplainFailure(std::string_view file, std::string_view reason) {
    explanation_ = "kelvara-cli: ";
    explanation_.append(file);
    explanation_.append(": ");
    explanation_.append(reason);
}

void TerminalPort::ExplainPartialResults(std::string_view resultsFile, std::string_view partialFile) {
    partial_ = "kelvara-cli: ";
    partial_.append(partialFile);
    partial_.append(": the results written before the failure (");
    partial_.append(resultsFile);
    partial_.append(" is as it was)");
}

void TerminalPort::ShowInputColumns(std::string_view file, std::string_view columns) {
    if (quiet_) return;
    EndLiveLine();
    WriteOneLine("kelvara-cli: ");
    WriteOneLine(file);
    WriteOneLine(": columns: ");
    WriteOneLine(columns);
    std::fputc('\n', stream_);
    std::fflush(stream_);
}

void TerminalPort::SetProgressRange(int, int) {
    // A new bar: nothing of it read yet, whatever an earlier job read.
    progressShown_ = true;
    bytesDone_ = 0;
    bytesTotal_ = 1;
    DrawProgress();
}

void TerminalPort::ShowBytesRead(std::int64_t done, std::int64_t total) {
    // An empty file is read completely at once.
    bytesTotal_ = total > 0 ? total : 1;
    bytesDone_ = total > 0 ? std::clamp<std::int64_t>(done, 0, total) : 1;
    if (progressShown_) DrawProgress();
}

void TerminalPort::SetStatusText(StatusText which, std::string_view text) {
    (which == StatusText::WaitNotice ? waitNotice_ : progressText_).assign(text);
    DrawStatus();
}

void TerminalPort::ShowBatchProgress(int filesDone, int filesTotal, std::int64_t bytesDone, std::int64_t bytesTotal) {
    if (!liveOutput_) return;
    const std::int64_t total = std::max<std::int64_t>(bytesTotal, 1);
    const std::int64_t done = std::clamp<std::int64_t>(bytesDone, 0, total);
    const auto filled = static_cast<std::size_t>(done * kBarWidth / total);
    char counts[96];
    std::snprintf(counts, sizeof counts, "] %d/%d files, %.1f/%.1f MB", filesDone, filesTotal,
                  static_cast<double>(done) / 1e6, static_cast<double>(bytesTotal) / 1e6);
    line_.assign(1, '[');
    line_.append(filled, '#');
    line_.append(static_cast<std::size_t>(kBarWidth) - filled, ' ');
    line_.append(counts);
    DrawLiveLine(line_);
}

void TerminalPort::DrawProgress() {
    if (!liveOutput_) return;
    const auto filled = static_cast<std::size_t>(bytesDone_ * kBarWidth / bytesTotal_);
    line_.clear();
    line_.push_back('[');
    line_.append(filled, '#');
    line_.append(static_cast<std::size_t>(kBarWidth) - filled, ' ');
    line_.append("] ");
    line_.append(std::to_string(bytesDone_ * 100 / bytesTotal_));
    line_.push_back('%');
    DrawLiveLine(line_);
}

void TerminalPort::DrawStatus() {
    if (!liveOutput_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastStatusDraw_ < kStatusRedrawInterval) {
        statusPending_ = true;
        return;
    }
    lastStatusDraw_ = now;
    statusPending_ = false;
    line_.assign(waitNotice_);
    if (!waitNotice_.empty() && !progressText_.empty()) line_.append(2, ' ');
    line_.append(progressText_);
    DrawLiveLine(line_);
}

void TerminalPort::DrawLiveLine(const std::string& line) {
    if (line == shownLine_) return;
    // Carriage return and blanks over the rest of the old line: no escape
    // sequences, so any console shows it.
    std::fputc('\r', stream_);
    std::fputs(line.c_str(), stream_);
    if (shownLine_.size() > line.size()) {
        for (std::size_t i = line.size(); i < shownLine_.size(); ++i) std::fputc(' ', stream_);
        for (std::size_t i = line.size(); i < shownLine_.size(); ++i) std::fputc('\b', stream_);
    }
    std::fflush(stream_);
    shownLine_ = line;
}

void TerminalPort::EndLiveLine() {
    // The line left on screen shows the last state, not a throttled one.
    if (statusPending_) {
        lastStatusDraw_ = {};
        DrawStatus();
    }
    if (shownLine_.empty()) return;
    std::fputc('\n', stream_);
    std::fflush(stream_);
    shownLine_.clear();
}

}  // namespace kelvara::cli
