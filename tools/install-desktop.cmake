# Installs the desktop entry and the application icon so that the game appears in the
# desktop's menu. They go to $TAVIK_XDG_DATA_HOME, else $XDG_DATA_HOME, else ~/.local/share;
# the entry starts the game from the program folder that was just installed.
# Expects SOURCE_DIR and PROGRAM_FOLDER.
if(DEFINED ENV{TAVIK_XDG_DATA_HOME})
    set(data_home "$ENV{TAVIK_XDG_DATA_HOME}")
elseif(DEFINED ENV{XDG_DATA_HOME})
    set(data_home "$ENV{XDG_DATA_HOME}")
else()
    set(data_home "$ENV{HOME}/.local/share")
endif()
set(TAVIK_PROGRAM_FOLDER "${PROGRAM_FOLDER}")
configure_file("${SOURCE_DIR}/resources/tavik.desktop.in" "${data_home}/applications/tavik.desktop" @ONLY)
message(STATUS "Installing: ${data_home}/applications/tavik.desktop")
foreach(side 16 22 24 32 48 64 128 256)
    file(INSTALL "${SOURCE_DIR}/resources/icons/tavik-${side}.png"
         DESTINATION "${data_home}/icons/hicolor/${side}x${side}/apps"
         RENAME tavik.png)
endforeach()
