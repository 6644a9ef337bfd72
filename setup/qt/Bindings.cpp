#include "setup/qt/Bindings.h"

#include <QSignalBlocker>

#include "setup/qt/QtFonts.h"

namespace setup::qt {

using forms::Property;

namespace {

Qt::CheckState ToCheckState(int value) {
    switch (value) {
        case forms::CheckBox::kChecked:
            return Qt::Checked;
        case forms::CheckBox::kGrayed:
            return Qt::PartiallyChecked;
        default:
            return Qt::Unchecked;
    }
}

void ShowValue(const forms::CheckBox& box, QCheckBox* widget) {
    const QSignalBlocker blocker(widget);
    widget->setCheckState(ToCheckState(box.Value()));
}

void ShowValue(const forms::OptionButton& option, QRadioButton* widget) {
    const QSignalBlocker blocker(widget);
    widget->setChecked(option.Value());
}

// The platform's CR LF line ends as Qt's.
QString PlainText(const std::string& text) {
    QString result = ToQString(text);
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return result;
}

}  // namespace

Binder::~Binder() {
    for (const auto& release : releases_) {
        release();
    }
}

bool CursorForPointer(int pointer, Qt::CursorShape& shape) {
    switch (pointer) {
        case 1:
            shape = Qt::ArrowCursor;
            return true;
        case 2:
            shape = Qt::CrossCursor;
            return true;
        case 3:
            shape = Qt::IBeamCursor;
            return true;
        case forms::Form::kPointerHourglass:
            shape = Qt::WaitCursor;
            return true;
        case 13:
            shape = Qt::BusyCursor;
            return true;
        default:
            return false;
    }
}

void Binder::Common(forms::Control& control, QWidget* widget, Extra extra) {
    widget->setEnabled(control.Enabled());
    if (!control.Visible()) {
        widget->setVisible(false);
    }
    widget->setFont(ToQFont(control.GetFont()));
    subscriptions_.emplace_back(control,
                                [widget, extra](forms::Control& changed, Property property) {
                                    switch (property) {
                                        case Property::Enabled:
                                            widget->setEnabled(changed.Enabled());
                                            break;
                                        case Property::Visible:
                                            widget->setVisible(changed.Visible());
                                            break;
                                        case Property::Font:
                                            widget->setFont(ToQFont(changed.GetFont()));
                                            break;
                                        default:
                                            break;
                                    }
                                    if (extra) {
                                        extra(property);
                                    }
                                });
}

void Binder::Window(forms::Form& form, QWidget* window, std::function<void()> unloaded) {
    window->setWindowTitle(ToQString(form.Caption()));
    window->setFont(ToQFont(form.GetFont()));
    subscriptions_.emplace_back(form,
                                [&form, window, unloaded](forms::Control&, Property property) {
                                    Qt::CursorShape shape = Qt::ArrowCursor;
                                    switch (property) {
                                        case Property::Caption:
                                            window->setWindowTitle(ToQString(form.Caption()));
                                            break;
                                        case Property::MousePointer:
                                            if (CursorForPointer(form.MousePointer(), shape)) {
                                                window->setCursor(shape);
                                            } else {
                                                window->unsetCursor();
                                            }
                                            break;
                                        case Property::Visible:
                                            if (!form.Visible() && unloaded) {
                                                unloaded();
                                            }
                                            break;
                                        default:
                                            break;
                                    }
                                });
}

void Binder::Button(forms::CommandButton& button, QPushButton* widget) {
    widget->setText(ToQString(button.Caption()));
    Common(button, widget, [&button, widget](Property property) {
        if (property == Property::Caption) {
            widget->setText(ToQString(button.Caption()));
        }
    });
    QObject::connect(widget, &QPushButton::clicked, widget, [&button] { button.UserClick(); });
}

void Binder::CheckBox(forms::CheckBox& box, QCheckBox* widget) {
    widget->setText(ToQString(box.Caption()));
    ShowValue(box, widget);
    Common(box, widget, [&box, widget](Property property) {
        if (property == Property::Caption) {
            widget->setText(ToQString(box.Caption()));
        } else if (property == Property::Value) {
            ShowValue(box, widget);
        }
    });
    // The widget toggles itself first; the model decides what it shows.
    QObject::connect(widget, &QCheckBox::clicked, widget, [&box, widget] {
        box.UserClick();
        ShowValue(box, widget);
    });
}

void Binder::Option(forms::OptionButton& option, QRadioButton* widget) {
    widget->setAutoExclusive(false);
    widget->setText(ToQString(option.Caption()));
    ShowValue(option, widget);
    Common(option, widget, [&option, widget](Property property) {
        if (property == Property::Caption) {
            widget->setText(ToQString(option.Caption()));
        } else if (property == Property::Value) {
            ShowValue(option, widget);
        }
    });
    QObject::connect(widget, &QRadioButton::clicked, widget, [&option, widget] {
        option.UserClick();
        ShowValue(option, widget);
    });
}

void Binder::Label(forms::Label& label, QLabel* widget) {
    widget->setTextFormat(Qt::PlainText);
    widget->setText(ToQString(label.Caption()));
    widget->setToolTip(ToQString(label.ToolTipText()));
    Common(label, widget, [&label, widget](Property property) {
        if (property == Property::Caption) {
            widget->setText(ToQString(label.Caption()));
        } else if (property == Property::ToolTip) {
            widget->setToolTip(ToQString(label.ToolTipText()));
        }
    });
}

void Binder::Link(forms::Label& label, LinkLabel* widget, QtShell* shell) {
    Label(label, widget);
    // Shown as a link: blue and underlined, in whatever font the model gives.
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, QColor(0x1A, 0x4D, 0xB3));
    widget->setPalette(palette);
    const auto underline = [widget] {
        QFont font = widget->font();
        font.setUnderline(true);
        widget->setFont(font);
    };
    underline();
    subscriptions_.emplace_back(label, [underline](forms::Control&, Property property) {
        if (property == Property::Font) {
            underline();
        }
    });
    widget->OnClick([&label] { label.UserClick(); });
    widget->OnMouseMove([&label, widget, shell] {
        if (shell != nullptr) {
            shell->SetPointerWidget(widget);
        }
        label.UserMouseMove();
    });
}

void Binder::Frame(forms::Frame& frame, QGroupBox* widget) {
    widget->setTitle(ToQString(frame.Caption()));
    Common(frame, widget, [&frame, widget](Property property) {
        if (property == Property::Caption) {
            widget->setTitle(ToQString(frame.Caption()));
        }
    });
}

void Binder::Text(forms::TextBox& text, QPlainTextEdit* widget) {
    widget->setReadOnly(true);
    widget->setPlainText(PlainText(text.Text()));
    Common(text, widget, [&text, widget](Property property) {
        if (property == Property::Text) {
            widget->setPlainText(PlainText(text.Text()));
        }
    });
}

void Binder::Picture(forms::PictureBox& picture, ProgressView* widget) {
    widget->SetBackColor(picture.BackColor());
    picture.SetCanvas(&widget->Canvas());
    releases_.emplace_back([&picture] { picture.SetCanvas(nullptr); });
    Common(picture, widget, [&picture, widget](Property property) {
        if (property == Property::Drawing) {
            widget->RequestRepaint();
        } else if (property == Property::Visible) {
            widget->SetBackColor(picture.BackColor());
        }
    });
}

}  // namespace setup::qt
