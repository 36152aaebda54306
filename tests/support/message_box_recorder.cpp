#include "tests/support/message_box_recorder.h"

namespace {
MessageBoxRecorder* g_recorder = nullptr;
} // namespace

MessageBoxRecorder::MessageBoxRecorder() {
    g_recorder = this;
    m_previous = SetMessageBoxFunction(&MessageBoxRecorder::Record);
}

MessageBoxRecorder::~MessageBoxRecorder() {
    SetMessageBoxFunction(m_previous);
    g_recorder = nullptr;
}

void MessageBoxRecorder::Answer(int answer) {
    std::lock_guard lock(m_mutex);
    m_answers.push_back(answer);
}

void MessageBoxRecorder::Respond(std::function<int(const RecordedMessageBox&)> responder) {
    std::lock_guard lock(m_mutex);
    m_responder = std::move(responder);
}

std::vector<RecordedMessageBox> MessageBoxRecorder::Boxes() const {
    std::lock_guard lock(m_mutex);
    return m_boxes;
}

size_t MessageBoxRecorder::Count() const {
    std::lock_guard lock(m_mutex);
    return m_boxes.size();
}

void MessageBoxRecorder::Clear() {
    std::lock_guard lock(m_mutex);
    m_boxes.clear();
    m_answers.clear();
}

int MessageBoxRecorder::Record(WindowHandle owner, const std::u16string& text,
                               const std::u16string& caption, unsigned flags) {
    MessageBoxRecorder& self = *g_recorder;
    const RecordedMessageBox box{owner, caption, text, flags};
    std::function<int(const RecordedMessageBox&)> responder;
    int answer = (flags & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
    {
        std::lock_guard lock(self.m_mutex);
        self.m_boxes.push_back(box);
        responder = self.m_responder;
        if (!responder && !self.m_answers.empty()) {
            answer = self.m_answers.front();
            self.m_answers.pop_front();
        }
    }
    // The responder runs unlocked: it may inspect the recorder or drive the program.
    return responder ? responder(box) : answer;
}
