#pragma once

#include <functional>

class QDialog;

// Every modal box of the program runs through here, so that a test (or a
// headless run with PRISMOLINK_MODAL_ANSWER set) can answer it instead of a
// user.
class ModalPrompt
{
public:
    using Handler = std::function<int(QDialog &)>;

    static int exec(QDialog &dialog);
    // Installs an answering handler; an empty one restores normal behaviour.
    static void setHandler(Handler handler);
};
