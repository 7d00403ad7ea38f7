#include "capture/U_leafcatch3.h"

#include "forms/form3.h"

TForm3* Form3 = nullptr;

TForm3::TForm3() : Form(forms::form3::kForm, forms::form3::kEvents<TForm3>), Label1(*this, forms::form3::kLabel1) {}
