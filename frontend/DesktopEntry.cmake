# Run by `cmake --install`: writes the launcher Dotsweep.desktop beside the installed program.
# Files dropped on the launcher arrive as the program's arguments (%F), as on the window.
cmake_path(ABSOLUTE_PATH CMAKE_INSTALL_PREFIX NORMALIZE OUTPUT_VARIABLE prefix)
cmake_path(APPEND prefix "Dotsweep" OUTPUT_VARIABLE program)

# The Exec key quotes its program; inside the quotes \ " ` $ take a backslash, and the value
# as a whole doubles every backslash once more. A literal % is written %%.
set(quoted "${program}")
string(REPLACE "\\" "\\\\" quoted "${quoted}")
string(REPLACE "\"" "\\\"" quoted "${quoted}")
string(REPLACE "`" "\\`" quoted "${quoted}")
string(REPLACE "$" "\\$" quoted "${quoted}")
string(REPLACE "\\" "\\\\" quoted "${quoted}")
string(REPLACE "%" "%%" quoted "${quoted}")

set(entry "[Desktop Entry]
Type=Application
Version=1.5
Name=Dotsweep
Name[ja]=Dotsweep（JWWファイル内の点データを削除）
Comment=Removes point entities from Jw_cad drawings
Comment[ja]=JWWファイル内の点データを削除します
Exec=\"${quoted}\" %F
Terminal=false
MimeType=application/x-jww;
Categories=Graphics;Engineering;
")

set(target "$ENV{DESTDIR}${prefix}/Dotsweep.desktop")
message(STATUS "Installing: ${target}")
file(WRITE "${target}" "${entry}")
file(CHMOD "${target}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
     GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
