#include "SoakFaultGate.h"

void SoakFaultGate::Arm(const SimFaultOptions& faults, int occurrence, int restarts) {
    std::lock_guard<std::mutex> lock(mutex_);
    faults_ = std::make_unique<SimFaultInjector>(faults, false, trace_);
    gated_ = !faults.commands.empty();
    selector_ = gated_ ? faults.commands.front().target : SimRequestSelector{};
    occurrence_ = occurrence;
    seen_ = 0;
    restartsBefore_ = restarts;
    current_ = false;
}

void SoakFaultGate::Disarm() {
    std::lock_guard<std::mutex> lock(mutex_);
    faults_.reset();
    current_ = false;
}

int SoakFaultGate::Seen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
}

bool SoakFaultGate::BeforeRequest(const SimRequest& request) {
    std::lock_guard<std::mutex> lock(mutex_);
    current_ = false;
    if (!faults_) {
        return true;
    }
    if (gated_) {
        if (!SelectsRequest(selector_, request)) {
            return true;
        }
        ++seen_;
        current_ = occurrence_ == 0 || seen_ == occurrence_;
        return !current_ || faults_->BeforeRequest(request);
    }
    return faults_->BeforeRequest(request);
}

bool SoakFaultGate::Replace(const SimRequest& request, SimReply& reply) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!faults_ || (gated_ && !current_)) {
        return false;
    }
    return faults_->Replace(request, reply);
}

void SoakFaultGate::AfterRequest(const SimRequest& request, SimReply& reply) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (faults_ && (!gated_ || current_)) {
        faults_->AfterRequest(request, reply);
    }
}

void SoakFaultGate::BeforeSend(const SimFrame& frame, std::vector<uint8_t>& bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    // Corrupts only frames that the chosen request's reply marked.
    if (faults_) {
        faults_->BeforeSend(frame, bytes);
    }
}

bool SoakFaultGate::ComeBack(int restart) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!faults_) {
        return true;
    }
    return faults_->ComeBack(restart - restartsBefore_);
}
