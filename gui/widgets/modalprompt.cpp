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
    return handler() ? handler()(dialog) : dialog.exec();
}

ModalPrompt::Handler ModalPrompt::answering(bool accept)
{
    return [accept](QDialog &dialog) {
        QString text = dialog.windowTitle();
        if (auto *box = qobject_cast<QMessageBox *>(&dialog))
            text = box->text();
        std::fprintf(stderr, "prismolink: modal box answered '%s': %s\n", accept ? "accept" : "reject", qPrintable(text));
        return accept ? int(QDialog::Accepted) : int(QDialog::Rejected);
    };
}
