// The previewer's Qt resources (the start picture, the samples) live in a static library, so
// they are registered by a call, not by a static initialiser the linker could drop.
#pragma once

void initPreviewerResources();
