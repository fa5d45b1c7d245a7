#pragma once
// The natives that the bootstrap and the script-only contexts share.
class ScriptObject;

// The global natives (script parameters, screen size, network session, game version, the
// engine switches), the engine natives, inputCustomize, the controller natives and the music
// natives, in that order.
void registerSharedNatives(const ScriptObject& table);

// Script parameters, screen size, network session and game version.
void registerGlobalNatives(const ScriptObject& table);
// engineRequestExit, engineReload, engineResetFrameController, engineSetAudioVolume,
// engineSwitchSeGroup, enginePlaySe, engineGetRandomValue and engineGetRandomRange.
void registerEngineNatives(const ScriptObject& table);
// inputCustomize, ctrlIsExist, ctrlGetStatus and ctrlGetEvent.
void registerInputControlNatives(const ScriptObject& table);
// bgmPlay, bgmStop, bgmSetVolume, bgmFadeout and bgmPlaySound over the System's music player;
// file names are relative to the calling engine's script root.
void registerMusicNatives(const ScriptObject& table);
