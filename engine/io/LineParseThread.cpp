#include "io/LineParseThread.h"

namespace kelvara {

LineParseThread::LineParseThread() {
    thread_ = std::jthread([this] { ParsePieces(); });
}

LineParseThread::~LineParseThread() {
    Wait();
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void LineParseThread::Start(const char* begin, const char* end, RecordColumns& columns) {
    {
        std::lock_guard lock(mutex_);
        begin_ = begin;
        end_ = end;
        columns_ = &columns;
        pending_ = true;
    }
    changed_.notify_all();
}

void LineParseThread::Wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !pending_; });
}

void LineParseThread::ParsePieces() {
    for (;;) {
        const char* begin;
        const char* end;
        RecordColumns* columns;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stopping_ || pending_; });
            if (stopping_) return;
            begin = begin_;
            end = end_;
            columns = columns_;
        }
        ParseRecordLines(begin, end, *columns);
        {
            std::lock_guard lock(mutex_);
            pending_ = false;
        }
        changed_.notify_all();
    }
}

}  // namespace kelvara
