// Resource numbers the shell asks for, shared with the resource script.
#pragma once

#define SAVER_ICON_ID 100
#define CONFIG_DIALOG_ID 2003
#define DESCRIPTION_STRING_ID 1
