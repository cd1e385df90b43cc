#include "MainComponent.h"

void MainComponent::createGUI() {}
