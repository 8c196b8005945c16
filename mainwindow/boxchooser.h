#pragma once

#include "devicelink.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <vector>

namespace Ui {
class BoxChooser;
}

// Which box a connection takes, before asking anyone: the index of one in
// the list, or the question to the user.
struct BoxPick
{
    // The box to take; -1: none (see ask).
    int index = -1;
    // Several boxes and none to take without asking: the chooser decides.
    bool ask = false;
    // The one to offer first when asking; -1: none.
    int preselected = -1;
};

// The box named on the command line is taken, or none when it is not there;
// otherwise the connect button asks whenever there are several, and an
// automatic connection takes the box chosen last if it is there, a single box
// as it is, and asks among several.
BoxPick pickBox(const std::vector<BoxInfo> &boxes, const BoxSelector &named,
                const QString &chosenLast, bool byHand);

// Lists the boxes plugged in (serial number, path, product) for the user to
// pick one.
class BoxChooser : public QDialog
{
    Q_OBJECT
public:
    BoxChooser(const std::vector<BoxInfo> &boxes, int preselected, QWidget *parent = nullptr);
    ~BoxChooser() override;
    // The row chosen, -1 when none is.
    int chosen() const;

private:
    std::unique_ptr<Ui::BoxChooser> ui;
};

// How the window asks which box to use: the index in `boxes`, -1 when the
// user cancelled. Tests replace it to answer without a dialog.
using BoxChoice =
    std::function<int(QWidget *parent, const std::vector<BoxInfo> &boxes, int preselected)>;
BoxChoice &boxChoice();
