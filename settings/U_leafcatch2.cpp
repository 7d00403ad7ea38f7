#include "settings/U_leafcatch2.h"

#include "app/U_leafcatch.h"
#include "app/folder_part.h"
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

void TForm2::FormActivate() {
    Edit1.SetText(Folder1);
    Edit2.SetText(Folder2);
}

// Browsing: the file-save dialog opens in the confirmed folder with a proposed
// name; the folder of whatever name it ends with goes into the edit.
void TForm2::Button1Click() {
    SaveDialog1.FileName = Folder1 + "DUMMY";
    SaveDialog1.Execute();
    Edit1.SetText(FolderPart(SaveDialog1.FileName));
}

void TForm2::Button2Click() {
    SaveDialog1.FileName = Folder2 + "DUMMY";
    SaveDialog1.Execute();
    Edit2.SetText(FolderPart(SaveDialog1.FileName));
}

void TForm2::Button3Click() {
    Folder1 = FolderPart(Edit1.Text());
    Folder2 = FolderPart(Edit2.Text());
    Form1->SetEnabled(true);
    Hide();
}

void TForm2::Button4Click() {
    Form1->SetEnabled(true);
    Hide();
}

// The close box hides the dialog (the default for a secondary window).
void TForm2::FormClose(platform::CloseAction&) {
    Form1->SetEnabled(true);
}
