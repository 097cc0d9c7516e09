# Runs at install time (from install(CODE)) with CMAKE_INSTALL_PREFIX already
# final, and writes the desktop entry that starts the game's launcher.
# Expects zumbrel_desktop_template, zumbrel_desktop_name, and zumbrel_launcher_dir
# and zumbrel_applications_dir relative to the prefix (or absolute).
# Install scripts otherwise run with every policy unset.
cmake_policy(VERSION 3.25)

# A prefix may hold spaces; Exec= then needs a quoted argument, whose escapes
# the desktop entry format layers under its own string escapes.
function(zumbrel_exec_argument out path)
  if(path MATCHES "^[A-Za-z0-9_./+-]+$")
    set(${out} "${path}" PARENT_SCOPE)
    return()
  endif()
  string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" quoted "${path}")
  string(REPLACE "\\" "\\\\" quoted "${quoted}")
  string(REPLACE "%" "%%" quoted "${quoted}")
  set(${out} "\"${quoted}\"" PARENT_SCOPE)
endfunction()

foreach(dir launcher_dir applications_dir)
  cmake_path(ABSOLUTE_PATH zumbrel_${dir} BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}" NORMALIZE)
endforeach()

zumbrel_exec_argument(zumbrel_exec "${zumbrel_launcher_dir}/zumbrel")

file(READ "${zumbrel_desktop_template}" entry)
string(CONFIGURE "${entry}" entry @ONLY)
set(destination "$ENV{DESTDIR}${zumbrel_applications_dir}/${zumbrel_desktop_name}")
message(STATUS "Installing: ${destination}")
file(WRITE "${destination}" "${entry}")
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${destination}")
