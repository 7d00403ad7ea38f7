// The settings dialog: the two save folders, and the program's name and version.
#pragma once

#include "platform/controls.h"
#include "platform/form.h"

class TForm2 : public platform::Form {
public:
    TForm2();

    platform::Label Label1;
    platform::SaveDialog SaveDialog1;
    platform::Label Label2;
    platform::Edit Edit1;
    platform::Edit Edit2;
    platform::Button Button1;
    platform::Button Button2;
    platform::Button Button3;
    platform::Button Button4;
    platform::Image Image1;
    platform::Label Label3;
    platform::Label Label4;
    platform::Label Label5;

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void FormClose(platform::CloseAction& action);
    void FormActivate();
};

extern TForm2* Form2;
