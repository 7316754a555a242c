// TFormMj: Windows asks every window before a log-out or shut-down; mid-update the answer is no,
// with the reason the system shows beside the program.
#include "wizard/TFormMj.h"

#include <windows.h>

bool TFormMj::nativeEvent(const QByteArray& genre, void* message, qintptr* resultat) {
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->message == WM_QUERYENDSESSION && Verrou->RefuserFinDeSession(msg->hwnd)) {
        *resultat = FALSE;
        return true;
    }
    return QWidget::nativeEvent(genre, message, resultat);
}
