#include "MainComponent.h"

void MainComponent::startDiscovery() {}
void MainComponent::handleDiscoveryReply (const MidiCallbackMessage&) {}
void MainComponent::endDiscoveryWindow() {}
void MainComponent::handleProductNameReply (const zun::FrameView&) {}
void MainComponent::probeCurrentInterface() {}
