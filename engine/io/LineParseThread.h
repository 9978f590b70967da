#pragma once
// A second thread for the one-pass parse of record lines: while the reading
// thread parses the first part of a buffer, this one parses the rest, so
// that both cores share the longest stage of a run.

#include <condition_variable>
#include <mutex>
#include <thread>

#include "io/RecordLines.h"

namespace kelvara {

class LineParseThread {
public:
    LineParseThread();
    // Waits for a piece still being parsed, then stops the thread.
    ~LineParseThread();
    LineParseThread(const LineParseThread&) = delete;
    LineParseThread& operator=(const LineParseThread&) = delete;

    // Starts ParseRecordLines(begin, end, columns) on the thread. Neither the
    // bytes nor the columns may be touched until Wait returns.
    void Start(const char* begin, const char* end, RecordColumns& columns);
    // Returns once the piece started last is parsed.
    void Wait();

private:
    void ParsePieces();

    std::mutex mutex_;
    std::condition_variable changed_;
    const char* begin_ = nullptr;
    const char* end_ = nullptr;
    RecordColumns* columns_ = nullptr;
    bool pending_ = false;  // a piece was started and is not parsed yet
    bool stopping_ = false;
    std::jthread thread_;  // last: started once everything above exists
};

}  // namespace kelvara
