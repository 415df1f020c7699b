#pragma once

#include <QWidget>

/// An auxiliary window without controls; created with the others and never
/// shown.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
};
