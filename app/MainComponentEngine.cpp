#include "MainComponent.h"

void MainComponent::handleMessage (const juce::Message&) {}
void MainComponent::sendToAllOutputs (const unsigned char*, unsigned short) {}
void MainComponent::awaitReply() {}
void MainComponent::cancelPendingRequest() {}
void MainComponent::handleReplyTimeout() {}
bool MainComponent::isAcknowledgement (const zun::FrameView&) const noexcept { return false; }
void MainComponent::handleAcknowledgement (const zun::FrameView&) {}
void MainComponent::updateRegistration (unsigned char) {}
void MainComponent::stopReplyWait() {}
