// The application object and forms of the platform layer, in one process.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/application.h"
#include "platform/controls.h"
#include "tests/wine/driver/driver.h"

namespace {

using platform::Application;

std::vector<std::string> g_events;

constexpr platform::FormDescription Description(const char* className, bool visible) {
    return {className, "Probe", 100, 50, platform::BorderStyle::Single, platform::kSystemMenu, false,
            platform::Position::ScreenCenter, {"MS Shell Dlg", -12, 0}, visible};
}

template <const char* Name, bool Shown = false>
class ProbeForm : public platform::Form {
public:
    static constexpr platform::FormDescription kDescription = Description(Name, Shown);
    static constexpr platform::FormEvents<ProbeForm> kEvents{.onCreate = &ProbeForm::FormCreate,
                                                             .onDestroy = &ProbeForm::FormDestroy};
    static inline ProbeForm* variable = nullptr;
    static inline bool throwInCreate = false;
    static inline bool throwInConstructor = false;

    ProbeForm() : Form(kDescription, kEvents) {
        g_events.push_back(std::string(Name) + (variable == this ? " constructed as its variable" : " unset"));
        if (throwInConstructor) throw platform::Exception("cannot construct");
    }
    void FormCreate() {
        g_events.push_back(std::string(Name) + " created");
        if (throwInCreate) throw platform::Exception("create failed");
    }
    void FormDestroy() {
        g_events.push_back(std::string(Name) + (IsWindowVisible(Handle()) ? " destroyed shown" : " destroyed hidden"));
    }
};

constexpr char kA[] = "ProbeA";
constexpr char kB[] = "ProbeB";
constexpr char kC[] = "ProbeC";
using FormA = ProbeForm<kA, true>;
using FormB = ProbeForm<kB>;
using FormC = ProbeForm<kC>;

// Presses OK in this process's message box from inside its modal loop, and
// records what the box said and whether the forms could take input meanwhile.
struct SeenBox {
    std::string text;
    std::string caption;
    bool iconShown = false;
    bool formEnabled = true;
};
SeenBox g_box;
HWND g_watched = nullptr;

void CALLBACK CloseBox(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = driver::FindMessageBox(GetCurrentProcessId());
    if (!box) return;
    KillTimer(nullptr, id);
    g_box.text = driver::MessageBoxText(box);
    g_box.caption = driver::MessageBoxCaption(box);
    for (HWND child : driver::ChildWindows(box)) {
        const bool icon = (driver::Style(child) & SS_TYPEMASK) == SS_ICON;
        if (icon && driver::IsVisible(child) && SendMessageA(child, STM_GETICON, 0, 0)) g_box.iconShown = true;
    }
    g_box.formEnabled = g_watched && IsWindowEnabled(g_watched);
    driver::PressMessageBoxButton(box, IDOK);
}

class PlatformTest : public testing::Test {
protected:
    void SetUp() override {
        g_events.clear();
        g_box = {};
        Application::Instance().SetTitle("Probe title");
        FormA::throwInCreate = FormB::throwInConstructor = false;
    }
    void TearDown() override { Application::Instance().DestroyForms(); }
};

TEST_F(PlatformTest, VariableRefersToTheFormBeforeItsConstructorRuns) {
    Application::Instance().CreateForm(FormA::variable);
    ASSERT_NE(FormA::variable, nullptr);
    EXPECT_EQ(g_events, (std::vector<std::string>{"ProbeA constructed as its variable", "ProbeA created"}));
    EXPECT_EQ(Application::Instance().MainForm(), FormA::variable);
    EXPECT_TRUE(FormA::variable->Visible());  // described visible
}

TEST_F(PlatformTest, ThrowingConstructorResetsItsVariable) {
    Application::Instance().CreateForm(FormA::variable);
    FormB::throwInConstructor = true;
    EXPECT_THROW(Application::Instance().CreateForm(FormB::variable), platform::Exception);
    EXPECT_EQ(FormB::variable, nullptr);
}

TEST_F(PlatformTest, FormsEndLastCreatedFirstEachHiddenBeforeItsHandler) {
    Application& app = Application::Instance();
    app.CreateForm(FormA::variable);
    app.CreateForm(FormB::variable);
    app.CreateForm(FormC::variable);
    HWND a = FormA::variable->Handle();
    FormC::variable->Show();
    g_events.clear();
    app.DestroyForms();
    EXPECT_EQ(g_events, (std::vector<std::string>{"ProbeC destroyed hidden", "ProbeB destroyed hidden",
                                                  "ProbeA destroyed hidden"}));
    EXPECT_FALSE(IsWindow(a));
}

TEST_F(PlatformTest, ExceptionInCreationHandlerIsReportedAndTheFormStillShows) {
    FormA::throwInCreate = true;
    SetTimer(nullptr, 0, 20, CloseBox);
    Application::Instance().CreateForm(FormA::variable);
    EXPECT_EQ(g_box.text, "create failed.");
    EXPECT_EQ(g_box.caption, "Probe title");
    EXPECT_TRUE(g_box.iconShown);
    ASSERT_NE(FormA::variable, nullptr);
    EXPECT_TRUE(FormA::variable->Visible());
}

TEST_F(PlatformTest, MessageBoxKeepsTheFormsFromInput) {
    Application& app = Application::Instance();
    app.CreateForm(FormA::variable);
    g_watched = FormA::variable->Handle();
    SetTimer(nullptr, 0, 20, CloseBox);
    EXPECT_EQ(app.ShowMessageBox("取得できません", "Leafcatch", 0), IDOK);
    EXPECT_EQ(g_box.text, "取得できません");
    EXPECT_FALSE(g_box.iconShown);
    EXPECT_FALSE(g_box.formEnabled);
    EXPECT_TRUE(IsWindowEnabled(g_watched));
}

TEST_F(PlatformTest, ClosingASecondaryFormHidesItAndTheMainFormEndsTheLoop) {
    Application& app = Application::Instance();
    app.CreateForm(FormA::variable);
    app.CreateForm(FormB::variable);
    FormB::variable->Show();
    FormB::variable->Close();
    EXPECT_FALSE(FormB::variable->Visible());
    EXPECT_FALSE(app.Terminated());

    FormA::variable->Close();
    EXPECT_TRUE(app.Terminated());
    MSG m;
    PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);  // the loop's end request
    app.Initialize();
}

}  // namespace
