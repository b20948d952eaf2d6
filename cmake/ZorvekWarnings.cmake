# Our own targets get strict warnings (errors only where CMAKE_COMPILE_WARNING_AS_ERROR
# asks, as the presets and CI do) and reproducible float arithmetic:
# no fused multiply-add, so converted models are identical on every machine.
function(zorvek_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -ffp-contract=off -fno-fast-math)
  if(ZORVEK_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
  if(ZORVEK_BUILD_FUZZERS)
    # Coverage for libFuzzer without its main; the fuzz executables add -fsanitize=fuzzer.
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                                             -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
  endif()
endfunction()
