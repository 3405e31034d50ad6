# Warning flags for every target of the project (not for third-party code).
function(velu_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /utf-8 $<$<BOOL:${VELU_WERROR}>:/WX>)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-missing-field-initializers $<$<BOOL:${VELU_WERROR}>:-Werror>)
  endif()
endfunction()

# Windows executables are linked statically so that they need no DLL beyond Windows' own.
function(velu_static_windows target)
  if(MINGW)
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
  endif()
endfunction()
