#pragma once
// How the data module's log-in, password prompts, system messages and rights
// dialog reach the screen: InstallUserDialogs fills TBaseDM::UserPrompts with
// the dialogs of this library.

class TBaseDM;
class TDataSet;

// users: the data module's user list (users::SetupUsersDataSet) that the
// rights dialog shows and edits; without one the dialog reads its own.
void InstallUserDialogs(TBaseDM &dm, TDataSet *users = nullptr);
