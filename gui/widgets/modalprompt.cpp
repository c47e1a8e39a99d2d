#include "modalprompt.h"

#include <QDialog>
#include <QMessageBox>
#include <QtGlobal>

#include <cstdio>

namespace {
ModalPrompt::Handler &handler()
{
    static ModalPrompt::Handler h;
    return h;
}
} // namespace

void ModalPrompt::setHandler(Handler h)
{
    handler() = std::move(h);
}

int ModalPrompt::exec(QDialog &dialog)
{
    if (handler())
        return handler()(dialog);

    // "accept" or "reject": answer without showing anything, and say on the
    // console what would have been asked.
    const QByteArray answer = qgetenv("PRISMOLINK_MODAL_ANSWER");
    if (answer == "accept" || answer == "reject") {
        QString text = dialog.windowTitle();
        if (auto *box = qobject_cast<QMessageBox *>(&dialog))
            text = box->text();
        fprintf(stderr, "prismolink: modal box answered '%s': %s\n", answer.constData(), qPrintable(text));
        return answer == "accept" ? QDialog::Accepted : QDialog::Rejected;
    }
    return dialog.exec();
}
