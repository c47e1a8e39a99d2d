#pragma once

#include <functional>

class QDialog;

// Every modal box of the program runs through here, so that a test (or a
// run nobody watches) can answer it instead of a user.
class ModalPrompt
{
public:
    using Handler = std::function<int(QDialog &)>;

    static int exec(QDialog &dialog);
    // Installs an answering handler; an empty one restores normal behaviour.
    static void setHandler(Handler handler);
    // A handler that answers every box at once, accepting or rejecting it,
    // and says on standard error what would have been asked.
    static Handler answering(bool accept);
};
