#pragma once

#include <QProxyStyle>

// The platform's style with the program's own images where the style would read image files:
// the tool bars' overflow button asks for its image as soon as a tool bar is made, and reading
// it loaded every image format plug-in before the window could show.
class TStyleProgramme : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    // Wraps the style the application would use (the user's choice included) and gives the
    // wrapper to the application.
    static void Installe();

    [[nodiscard]] QIcon standardIcon(StandardPixmap image, const QStyleOption* option = nullptr,
                                     const QWidget* widget = nullptr) const override;
};
