#pragma once

#include <QWidget>

#include <functional>

// The settings window's top-level widget: fixed in size, white, and never
// destroyed by closing it: a close request (the title bar's button, Escape,
// Ctrl+W) hides it and tells onCloseRequest.
// Its one content widget fills it and is replaced on every rebuild.
class SettingsWindow : public QWidget
{
    Q_OBJECT

public:
    SettingsWindow(int width, int height);

    // The previous content is handed back to the caller, still alive.
    QWidget *replaceContent(QWidget *content);
    QWidget *content() const { return m_content; }

    std::function<void()> onCloseRequest;

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *m_content = nullptr;
};
