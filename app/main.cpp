// SPDX-License-Identifier: MIT
// The program: one window, open until it is closed.
#include <QApplication>

#include "desktop.h"
#include "form1.h"
#include "options.h"

int main(int argc, char* argv[])
{
    if (const std::optional<int> status = app::AnswerOptions(argc, argv)) {
        return *status;
    }
    const desktop::Application opened = desktop::Open(argc, argv, ui::Form1::ContentSize);
    ui::Form1 form;
    form.setWholeFrameRepaints(opened.fractionalMapping);
    desktop::Adapt(form, opened);
    form.show();
    form.raise();
    form.activateWindow();
    return QApplication::exec();
}
