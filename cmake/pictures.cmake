# Filled in by the pictures work: defines lc_add_resources(target).
function(lc_add_resources target)
endfunction()
