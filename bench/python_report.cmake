# The Python package against reportlab on bench_text_report's report (which
# needs libharu for its own comparison, and so this one too), run through a
# wrapper that names the build's library.
if(TARGET bench_text_report AND NOT VELLUMARK_SANITIZE)
  file(GENERATE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/bench_python_report CONTENT "#!/bin/sh
VELLUMARK_LIBRARY=$<TARGET_FILE:vellumark_shared> PYTHONPATH=${CMAKE_SOURCE_DIR}/python PYTHONDONTWRITEBYTECODE=1 \\
  exec /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/bench_python_report.py $<TARGET_FILE:bench_text_report> \"$@\"
" FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endif()
