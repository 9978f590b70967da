#pragma once
// A JobPort that keeps the messages a job showed, and nothing else.

#include <string>
#include <string_view>
#include <vector>

#include "jobs/JobMessages.h"
#include "jobs/JobPort.h"

namespace kelvara::fuzz {

struct ShownMessage {
    std::string text;
    std::string title;
};

class MessagePort : public JobPort {
public:
    std::vector<ShownMessage> messages;

    void ShowMessage(std::string_view text, std::string_view title, MessageIcon) override {
        messages.push_back({std::string(text), std::string(title)});
    }

    // The job ended with "Processing Finished!" and told nothing else.
    bool OnlyFinished() const { return messages.size() == 1 && messages[0].text == "Processing Finished!"; }
    // The job finished, with fluxes or with the box that says why none.
    bool OnlyFinishedOrNoFluxes() const {
        return OnlyFinished() || (messages.size() == 1 && messages[0].title == messages::kNoFluxesTitle);
    }
    std::string Texts() const {
        std::string all;
        for (const ShownMessage& message : messages) all += "\"" + message.text + "\" ";
        return all;
    }
};

}  // namespace kelvara::fuzz
