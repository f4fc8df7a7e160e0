#include "ui/UiState.h"

namespace {
std::unique_ptr<UiState>& Instance() {
    static std::unique_ptr<UiState> state = std::make_unique<UiState>();
    return state;
}
}  // namespace

UiState& Ui() { return *Instance(); }

void ResetUiState() {
    Instance().reset();
    Instance() = std::make_unique<UiState>();
}

int ScaleToDpi(int pixels) { return MulDiv(pixels, Ui().iDpi, kBaseDpi); }
