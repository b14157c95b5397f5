#pragma once

#include <QDialog>

class UserDialogs;

// The version box (AboutBox): the program's icon, name and version with four lines about the
// program and its terms, and an OK button that Enter and Esc both press. It is shown without
// blocking the main window and is the same box each time it is shown. Owns its controls.
class AboutBox final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutBox)

public:
    static constexpr QSize kClientSize{288, 216};

    // dialogs: where it is shown and where its messages appear.
    explicit AboutBox(UserDialogs &dialogs, QWidget *parent = nullptr);

    // Shows the box centred on the screen, in front, without blocking (About1Click).
    void showCentred();

private:
    void buildControls();

    UserDialogs &m_dialogs;
};
