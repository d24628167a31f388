#pragma once

#include <QMainWindow>

namespace lexivoce::speech {
class TSpeaker5;
class TSpeakingComponent;
}

namespace lexivoce::app {

// A window with one control of every kind the screen reader knows, spoken
// through the real speech engine: `lexivoce --demo-controls` lets a person
// tab through them and hear each.
class TfrmDemoControls : public QMainWindow
{
    Q_OBJECT

public:
    explicit TfrmDemoControls(QWidget *parent = nullptr);

private:
    speech::TSpeaker5 *m_speaker;
    speech::TSpeakingComponent *m_sp;
};

} // namespace lexivoce::app
