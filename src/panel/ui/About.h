#pragma once
// The About window: product name, product ID and build date; the web label opens its own text.
// It opens centred on the screen.

#include <QDialog>

class QLabel;

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* WebAddress = "https://www.quorvane.example/orrery";

    explicit TAboutForm(QWidget* parent = nullptr);

    QLabel* ProductName = nullptr;
    QLabel* ProductIdLabel = nullptr;
    QLabel* BuildDateLabel = nullptr;
    QLabel* WWWLabel = nullptr;

    // The controller's product ID.
    void SetProductId(const std::string& productId);
    void WWWLabelClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
};
