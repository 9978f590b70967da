#pragma once
// A JobPort that records every call, for checking what a job told its user.

#include <string>
#include <vector>

#include "jobs/JobPort.h"
#include "jobs/ProgressBar.h"

namespace kelvara::testing {

struct RecordedMessage {
    std::string text;
    std::string title;
    MessageIcon icon;
};

class RecordingPort : public JobPort {
public:
    SecondFileAnswer secondFileAnswer = SecondFileAnswer::Continue;

    std::vector<RecordedMessage> messages;
    std::vector<std::string> events;  // every call, in order, as readable text
    int secondFileQuestions = 0;
    ProgressBar bar;
    int progressSteps = 0;
    std::string percentText;
    std::string waitNotice;
    std::string progressText;
    std::vector<std::string> progressTexts;  // every progress text set

    void ShowMessage(std::string_view text, std::string_view title, MessageIcon icon) override {
        messages.push_back({std::string(text), std::string(title), icon});
        events.push_back("message:" + std::string(text));
    }
    void ExplainFailure(std::string_view file, std::string_view reason) override {
        events.push_back("explain:" + std::string(file) + ": " + std::string(reason));
    }
    void ShowInputColumns(std::string_view file, std::string_view columns) override {
        events.push_back("columns:" + std::string(file) + ": " + std::string(columns));
    }
    SecondFileAnswer AskNoSecondFile() override {
        ++secondFileQuestions;
        events.push_back("ask-second-file");
        return secondFileAnswer;
    }
    void SetProgressRange(int lower, int upper) override {
        bar.SetRange(lower, upper);
        events.push_back("range:" + std::to_string(lower) + "-" + std::to_string(upper));
    }
    void SetProgressStep(int step) override {
        bar.SetStep(step);
        events.push_back("step-size:" + std::to_string(step));
    }
    void SetProgressPosition(int position) override {
        bar.SetPosition(position);
        events.push_back("position:" + std::to_string(position));
    }
    void StepProgress() override {
        ++progressSteps;
        bar.Step();
        events.push_back("step");
    }
    void SetPercentText(std::string_view text) override {
        percentText = text;
        events.push_back("percent:" + std::string(text));
    }
    void SetStatusText(StatusText which, std::string_view text) override {
        if (which == StatusText::WaitNotice) {
            waitNotice = text;
            events.push_back("wait:" + std::string(text));
        } else {
            progressText = text;
            progressTexts.emplace_back(text);
            events.push_back("progress:" + std::string(text));
        }
    }

    // The last message, or an empty one.
    RecordedMessage LastMessage() const {
        return messages.empty() ? RecordedMessage{"", "", MessageIcon::None} : messages.back();
    }
};

}  // namespace kelvara::testing
