#pragma once

#include <QLabel>
#include <functional>

namespace setup::qt {

// A label that reports clicks and mouse moves over it (the mouse is tracked
// without a pressed button).
class LinkLabel : public QLabel {
  public:
    explicit LinkLabel(QWidget* parent = nullptr);

    void OnClick(std::function<void()> handler) { click_ = std::move(handler); }
    void OnMouseMove(std::function<void()> handler) { mouseMove_ = std::move(handler); }

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    std::function<void()> click_;
    std::function<void()> mouseMove_;
};

}  // namespace setup::qt
