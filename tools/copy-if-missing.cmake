# SPDX-License-Identifier: GPL-3.0-or-later
# Copies SOURCE to TARGET unless TARGET exists: a player's high-score list is never replaced.
if(NOT EXISTS "${TARGET}")
    file(COPY_FILE "${SOURCE}" "${TARGET}")
    message(STATUS "First high-score list: ${TARGET}")
endif()
