#pragma once

#include <QPlainTextEdit>

// The About panel: what the game is and who made it, read-only, 400 x 270 in
// the middle of its window, each paragraph wrapped at the panel's width.
// It starts hidden; whoever shows it also closes it.
class AboutPanel final : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit AboutPanel(QWidget *window);

    // Centers the panel in its window, after the window changed size.
    void place();
};
