// The main window's commands, one function per menu, each in a file of its own: it binds the
// menu's actions (name, text, shortcut, what they run). When each can run is the engine's
// rule (app/command_rules), looked up by the action's name.
#pragma once

class QMenu;

namespace qm::ui {

class TMainForm;

void addFileCommands(TMainForm& main, QMenu& menu);
void addEventsCommands(TMainForm& main, QMenu& menu);
void addEditCommands(TMainForm& main, QMenu& menu);
void addLayerCommands(TMainForm& main, QMenu& menu);
void addSelectionCommands(TMainForm& main, QMenu& menu);
void addFilterCommands(TMainForm& main, QMenu& menu);
void addViewCommands(TMainForm& main, QMenu& menu);
void addWindowCommands(TMainForm& main, QMenu& menu);
void addHelpCommands(TMainForm& main, QMenu& menu);

} // namespace qm::ui
