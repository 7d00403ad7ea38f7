// The progress notice, shown while a page is fetched.
#pragma once

#include "platform/controls.h"
#include "platform/form.h"

class TForm3 : public platform::Form {
public:
    TForm3();

    platform::Label Label1;
};

extern TForm3* Form3;
