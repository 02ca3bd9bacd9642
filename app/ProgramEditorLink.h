#pragma once
// The program editor in the running program: what it asks of the song list, the transport
// and the main window, and the main loop's SONG EDIT, double click and fast tick for it.

#include "mixer/ProgramEditor.h"

namespace vl {

class Application;

class ProgramEditorLink final : public ProgramEditorHost {
  public:
    explicit ProgramEditorLink(Application& app);
    ~ProgramEditorLink() override;

    ProgramEditor& editor() { return *editor_; }

    QWidget* mainWindow() override;
    QString songToEdit() override;
    LoadOutcome loadSongProgram() override;
    QString currentSongTitle() override;
    MixerInputs mixerInputs() override;
    void startPlayback(bool reload) override;
    void refreshSongList() override;

  private:
    Application& app_;
    std::unique_ptr<ProgramEditor> editor_;
};

} // namespace vl
