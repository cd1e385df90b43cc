#pragma once

// The request bodies. Bytes written as 0xFF at start are variable: the sender writes them
// in place just before building the frame, and they keep their last value between uses.
extern unsigned char SXMessage_DeviceDiscovery[10];
extern unsigned char SXMessage_GetProductName[7];
extern unsigned char SXMessage_SavePreset[11];
extern unsigned char SXMessage_LoadPreset[11];
extern unsigned char SXMessage_GetSettingsAI[7];
extern unsigned char SXMessage_GetSettingsDI[9];
extern unsigned char SXMessage_GetSettingsDF[8];
extern unsigned char SXMessage_GetSettingsPresetName[12];
extern unsigned char SXMessage_GetSettingsAudioPortInfo[15];
extern unsigned char SXMessage_GetSettingsFailover[12];
extern unsigned char SXMessage_GetRuntime[10];
extern unsigned char SXMessage_SetFailover[11]; // sent with the length n + 6 of its item
extern unsigned char SXMessage_SendRegistration[10];

// Lengths the templates are sent with (SetFailover's depends on its item).
constexpr unsigned short SXMessage_DeviceDiscovery_Length = 10;
constexpr unsigned short SXMessage_GetProductName_Length = 7;
constexpr unsigned short SXMessage_SavePreset_Length = 11;
constexpr unsigned short SXMessage_LoadPreset_Length = 11;
constexpr unsigned short SXMessage_GetSettingsAI_Length = 7;
constexpr unsigned short SXMessage_GetSettingsDI_Length = 9;
constexpr unsigned short SXMessage_GetSettingsDF_Length = 8;
constexpr unsigned short SXMessage_GetSettingsPresetName_Length = 12;
constexpr unsigned short SXMessage_GetSettingsAudioPortInfo_Length = 15;
constexpr unsigned short SXMessage_GetSettingsFailover_Length = 12;
constexpr unsigned short SXMessage_GetRuntime_Length = 10;
constexpr unsigned short SXMessage_SendRegistration_Length = 10;
