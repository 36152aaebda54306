#pragma once

#include "platform/message_box.h"

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct RecordedMessageBox {
    WindowHandle owner;
    std::u16string caption;
    std::u16string text;
    unsigned flags;
};

// Replaces the message box for its lifetime: records every box and answers from a script.
// With the script empty it answers with the box's first button (OK or Yes).
class MessageBoxRecorder {
  public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    // Queues the answer for the next box.
    void Answer(int answer);

    // Decides every answer itself (the script is ignored while set).
    void Respond(std::function<int(const RecordedMessageBox&)> responder);

    std::vector<RecordedMessageBox> Boxes() const;
    size_t Count() const;
    void Clear();

  private:
    static int Record(WindowHandle owner, const std::u16string& text, const std::u16string& caption,
                      unsigned flags);

    mutable std::mutex m_mutex;
    std::vector<RecordedMessageBox> m_boxes;
    std::deque<int> m_answers;
    std::function<int(const RecordedMessageBox&)> m_responder;
    MessageBoxFunction m_previous;
};
