#include "framework/forms/messagerecorder.h"

TMessageRecorder::TMessageRecorder()
{
    FPrevious = SetMessageDialogHandler([this](const MessageRequest &r) { return Handle(r); });
}

TMessageRecorder::~TMessageRecorder()
{
    SetMessageDialogHandler(std::move(FPrevious));
}

QStringList TMessageRecorder::Texts() const
{
    QStringList texts;
    for (const MessageRequest &m : FMessages)
        texts << m.Text;
    return texts;
}

int TMessageRecorder::Handle(const MessageRequest &request)
{
    FMessages.push_back(request);
    if (!FAnswers.empty()) {
        int answer = FAnswers.front();
        FAnswers.pop_front();
        return answer;
    }
    auto def = request.DefaultButton();
    return def ? ButtonResult(*def) : request.CloseResult();
}
