#pragma once

// For tests: while it lives, every CyrMessageDlg is recorded instead of
// shown, and answered from a queue.
//
//   TMessageRecorder messages;
//   messages.Answer(mrYes);               // the next question answers Yes
//   list->actnDelete->trigger();
//   ASSERT_EQ(messages.Count(), 1);
//   EXPECT_EQ(messages.Last().Text, "Моля, потвърдете изтриване!");
//
// A message with no queued answer is answered with its default button (what
// Enter would press), or with its CloseResult() when it has none. Recorders
// nest: the destructor puts back the handler that was there before.

#include "framework/forms/cyrmessagedlg.h"

#include <QStringList>

#include <deque>
#include <vector>

class TMessageRecorder
{
public:
    TMessageRecorder();
    ~TMessageRecorder();
    TMessageRecorder(const TMessageRecorder &) = delete;
    TMessageRecorder &operator=(const TMessageRecorder &) = delete;

    void Answer(int result) { FAnswers.push_back(result); } // queues one answer
    int PendingAnswers() const { return int(FAnswers.size()); }

    int Count() const { return int(FMessages.size()); }
    const std::vector<MessageRequest> &Messages() const { return FMessages; }
    const MessageRequest &Last() const { return FMessages.back(); } // Count() > 0
    QStringList Texts() const;
    void Clear() { FMessages.clear(); }

private:
    int Handle(const MessageRequest &request);

    MessageDialogHandler FPrevious;
    std::vector<MessageRequest> FMessages;
    std::deque<int> FAnswers;
};
