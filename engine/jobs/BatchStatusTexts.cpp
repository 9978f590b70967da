#include "jobs/BatchStatusTexts.h"

#include <cstdio>

#include "jobs/JobMessages.h"

namespace kelvara {

namespace {

void ShowFileAndBlock(JobPort& port, int fileNumber, int blockCounter) {
    char text[64];
    std::snprintf(text, sizeof text, "Processing file %d ,record %d", fileNumber, blockCounter);
    port.SetStatusText(StatusText::ProgressText, text);
}

// The wait notice from the first file to the last.
class WaitNotice : public BatchObserver {
public:
    explicit WaitNotice(JobPort& port) : port_(port) {}
    void Planned() override { port_.SetStatusText(StatusText::WaitNotice, messages::batch::kWaitNotice); }
    void Finishing() override { port_.SetStatusText(StatusText::WaitNotice, ""); }

protected:
    JobPort& port_;
};

// The default method counts a block before each read, the read that finds
// a file's end too, except the first read of each file after the first; the
// next file's number shows as soon as a file is done.
class DefaultMethodTexts : public WaitNotice {
public:
    using WaitNotice::WaitNotice;
    void FileStarted(int fileNumber) override {
        if (fileNumber == 1) Show();
    }
    void BeforeRead() override {
        if (firstReadOfNextFile_) {
            firstReadOfNextFile_ = false;
            return;
        }
        ++blockCounter_;
        Show();
    }
    void FileEnded() override {
        blockCounter_ = 0;
        ++fileNumber_;
        Show();
        firstReadOfNextFile_ = true;
    }

private:
    void Show() { ShowFileAndBlock(port_, fileNumber_, blockCounter_); }

    int fileNumber_ = 1;
    int blockCounter_ = 0;
    bool firstReadOfNextFile_ = false;
};

// The standard methods count the blocks read of each file, from 0.
class StandardMethodTexts : public WaitNotice {
public:
    using WaitNotice::WaitNotice;
    void FileStarted(int fileNumber) override {
        fileNumber_ = fileNumber;
        blockCounter_ = 0;
        ShowFileAndBlock(port_, fileNumber_, 0);
    }
    void AfterRead(std::int64_t, std::int64_t) override { ShowFileAndBlock(port_, fileNumber_, ++blockCounter_); }

private:
    int fileNumber_ = 1;
    int blockCounter_ = 0;
};

}  // namespace

std::unique_ptr<BatchObserver> MakeBatchStatusTexts(Methods methods, JobPort& port) {
    if (methods == Methods::Standard) return std::make_unique<StandardMethodTexts>(port);
    return std::make_unique<DefaultMethodTexts>(port);
}

}  // namespace kelvara
