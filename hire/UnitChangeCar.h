#pragma once
#include <memory>
#include "platform/Form.h"
#include <QStringList>

namespace Ui { class TfrmChangeCar; }

// The replacement-vehicle picker of a change of vehicle: the vehicle now on
// hire, the free vehicles to choose from. It closes with OK only with a
// vehicle chosen; the caller does the change.
class TfrmChangeCar : public TForm {
    Q_OBJECT
public:
    explicit TfrmChangeCar(QWidget* parent = nullptr);
    ~TfrmChangeCar() override;

    // The vehicle on hire and the free ones offered, in their order; no line chosen.
    void Fill(const QString& oldCar, const QStringList& freeCars);
    // The chosen plate; empty when no line is chosen.
    QString NewCar() const;

    void Button1Click();

    std::unique_ptr<Ui::TfrmChangeCar> ui;
};

extern TfrmChangeCar* frmChangeCar;
