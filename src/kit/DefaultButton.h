#pragma once

// The push button Return presses in a dialog: filled with the accent colour,
// its title in white, so the eye finds the usual way out at once.

#include <string>

#include "kit/Button.h"

namespace kit {

class DefaultButton : public Button {
public:
    explicit DefaultButton(std::string title) : Button(std::move(title)) {}

    void draw(GraphicsContext& context) override;
};

}  // namespace kit
