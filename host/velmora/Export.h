#pragma once

// The host libraries are built with hidden symbols; only what carries this
// mark is visible to the viewer and to plugins.
#define VELMORA_EXPORT __attribute__((visibility("default")))
