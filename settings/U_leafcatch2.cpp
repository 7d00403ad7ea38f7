#include "settings/U_leafcatch2.h"

#include "forms/form2.h"

TForm2* Form2 = nullptr;

namespace f = forms::form2;

TForm2::TForm2()
    : Form(f::kForm, f::kEvents<TForm2>),
      Label1(*this, f::kLabel1),
      SaveDialog1(*this),
      Label2(*this, f::kLabel2),
      Edit1(*this, f::kEdit1),
      Edit2(*this, f::kEdit2),
      Button1(*this, f::kButton1, f::kButton1Events<TForm2>),
      Button2(*this, f::kButton2, f::kButton2Events<TForm2>),
      Button3(*this, f::kButton3, f::kButton3Events<TForm2>),
      Button4(*this, f::kButton4, f::kButton4Events<TForm2>),
      Image1(*this, f::kImage1, f::kImage1Icon),
      Label3(*this, f::kLabel3),
      Label4(*this, f::kLabel4),
      Label5(*this, f::kLabel5) {}

// The handlers below gain their work with the settings dialog's behaviour.
void TForm2::Button1Click() {}

void TForm2::Button2Click() {}

void TForm2::Button3Click() {}

void TForm2::Button4Click() {}

void TForm2::FormClose(platform::CloseAction&) {}

void TForm2::FormActivate() {}
