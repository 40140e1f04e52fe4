#pragma once
// The main window of the program.

#include "app/base_main_form.h"

class Tdm;

class TfrmMain : public TBaseMainForm
{
    Q_OBJECT
public:
    explicit TfrmMain(Tdm *dataModule, QWidget *owner = nullptr);

    Tdm *dm() const { return FDm; }

private:
    Tdm *FDm;
};
