#include "sim/SimFaultOptions.h"

#include <cctype>
#include <cstdlib>

namespace {

bool ParseHexCode(const std::string& text, int& code) {
    if (text == "*") {
        code = -1;
        return true;
    }
    if (text.size() != 2 || !std::isxdigit(static_cast<unsigned char>(text[0])) ||
        !std::isxdigit(static_cast<unsigned char>(text[1]))) {
        return false;
    }
    code = static_cast<int>(std::strtoul(text.c_str(), nullptr, 16));
    return true;
}

bool ParseTimes(const std::string& text, int& times) {
    if (text.empty() || text.size() > 6) {
        return false;
    }
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    times = std::atoi(text.c_str());
    return times > 0;
}

} // namespace

bool ParseRequestSelector(const std::string& text, SimRequestSelector& selector) {
    SimRequestSelector s;
    s.text = text;
    std::string body = text;
    const size_t slash = body.find('/');
    if (slash != std::string::npos) {
        if (!ParseTimes(body.substr(slash + 1), s.times)) {
            return false;
        }
        body.resize(slash);
    }
    const size_t colon = body.find(':');
    const std::string head = body.substr(0, colon);
    const std::string code = colon == std::string::npos ? "*" : body.substr(colon + 1);
    if (head == "*") {
        if (colon != std::string::npos) {
            return false;
        }
        s.kind = SimRequestSelector::Kind::Any;
    } else if (head == "loader") {
        s.kind = SimRequestSelector::Kind::Loader;
    } else if (head.size() == 2 && std::isgraph(static_cast<unsigned char>(head[0])) &&
               std::isgraph(static_cast<unsigned char>(head[1]))) {
        s.kind = SimRequestSelector::Kind::Uecp;
        s.set0 = static_cast<uint8_t>(head[0]);
        s.set1 = static_cast<uint8_t>(head[1]);
    } else {
        return false;
    }
    if (!ParseHexCode(code, s.code)) {
        return false;
    }
    selector = s;
    return true;
}

bool SelectsRequest(const SimRequestSelector& s, const SimRequest& r) {
    const std::vector<uint8_t>& m = r.message;
    switch (s.kind) {
    case SimRequestSelector::Kind::Any:
        return true;
    case SimRequestSelector::Kind::Loader:
        return r.kind == SimFrameKind::Loader && (s.code < 0 || (!m.empty() && m[0] == s.code));
    case SimRequestSelector::Kind::Uecp:
        return r.kind == SimFrameKind::Uecp && m.size() >= 5 && m[0] == 0x2D && m[2] == s.set0 &&
               m[3] == s.set1 && (s.code < 0 || m[4] == s.code);
    }
    return false;
}

const char* SimFaultKindName(SimFaultKind kind) {
    switch (kind) {
    case SimFaultKind::Ignore:
        return "ignore";
    case SimFaultKind::NoAck:
        return "no-ack";
    case SimFaultKind::Nack:
        return "nack";
    case SimFaultKind::AnswerSize:
        return "answer-size";
    case SimFaultKind::BadCrcAnswer:
        return "bad-crc-answer";
    case SimFaultKind::BadCrcAck:
        return "bad-crc-ack";
    case SimFaultKind::WrongAnswer:
        return "wrong-answer";
    case SimFaultKind::Slow:
        return "slow";
    }
    return "?";
}
