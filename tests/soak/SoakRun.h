#pragma once

#include "workflow/UpdateRun.h"

#include <optional>
#include <string>
#include <utility>

// An unattended run without widgets that moves on by itself as the wizard's pages do, and
// notes how it ended.
class SoakRun : public UpdateRun {
public:
    explicit SoakRun(std::string firmwarePath) : UpdateRun(std::move(firmwarePath), true) {}
    ~SoakRun() override { Shutdown(); }

    std::optional<std::pair<QueryResult, std::string>> query;
    std::optional<std::pair<UpdateResult, LoaderCheckOutcome>> loaderCheck;
    std::optional<UpdateResult> update;
    bool finished = false; // EndWithFinish was called
    bool ended = false;    // no further step follows by itself
    int flashPolls = 0;

protected:
    void OnQueryDone(QueryResult result, const std::string& errorText) override {
        query.emplace(result, errorText);
        ended = true; // SelectPage clears it when the run goes on
    }
    void OnLoaderDone(UpdateResult result, LoaderCheckOutcome outcome) override {
        loaderCheck.emplace(result, outcome);
        ended = EndsRun(outcome);
    }
    void OnUpdateDone(UpdateResult result) override {
        update = result;
        ended = true;
    }
    void OnFlashPoll(int poll, int /*maxPolls*/) override { flashPolls = poll; }
    void SelectPage(RunPage page) override {
        ended = false;
        if (page == RunPage::Check) {
            StartLoaderCheck();
        } else if (page == RunPage::Update) {
            StartUpdate();
        }
    }
    void EndWithFinish() override { finished = true; }
};
