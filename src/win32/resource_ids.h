#pragma once
// Resource identifiers shared by the resource script and the code.

#define VELU_ICON_TOOL 1
#define VELU_ICON_SUCCESS 2
#define VELU_ICON_ERROR 3
