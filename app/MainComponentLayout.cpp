#include "MainComponent.h"

void MainComponent::resized() {}
void MainComponent::clrGUI() {}
void MainComponent::updateTriggerModeCombo() {}
