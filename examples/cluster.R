# Clusters a cluster matrix file (.DIS) written by clustmat and draws the
# dendrogram into a PNG picture:
#
#   Rscript cluster.R wheat2025.DIS wheat2025-clusters.png
#
# (without the second name the picture is wheat2025-clusters.png). Any of
# clustmat's three layouts can be given.
#
# What is clustered: the columns, that is the levels of the factor chosen at
# clustmat's menu: the varieties in layout 1, the years in layout 2, the
# locations in layout 3. Each column describes its level by the values in
# every combination of the other two factors (the rows), so the layout
# chosen at the menu is the choice of what to group. Layouts 1 and 3 hold
# values centred on the grand mean, layout 2 the raw values; subtracting one
# constant from every cell changes no Euclidean distance, so this does not
# matter here. To group the rows instead (the year and location pairs of
# layout 1, say), replace t(m) by m in the dist() line below.
#
# The distances are Euclidean. dist() leaves out the rows in which either of
# two columns is empty and scales the sum up to all rows. The tree joins
# clusters by Ward's method on those distances (ward.D2, which squares them
# itself).

args <- commandArgs(trailingOnly = TRUE)
if (length(args) < 1 || length(args) > 2) {
  message("usage: Rscript cluster.R MATRIX.DIS [PICTURE.png]")
  quit(status = 2)
}
matrix_file <- args[1]
picture <- if (length(args) == 2) args[2] else
  sub("(\\.DIS)?$", "-clusters.png", matrix_file, ignore.case = TRUE)

# "." marks an empty cell in layouts 1 and 3, "," in layout 2.
m <- read.delim(matrix_file, na.strings = c(".", ","), row.names = 1,
                check.names = FALSE)
factor_name <- switch(substr(colnames(m)[1], 1, 1),
                      G = "varieties", Y = "years", L = "locations", "columns")

# A level without any value (an unused code) has no distance to anything.
empty <- colSums(!is.na(m)) == 0
if (any(empty)) {
  message("left out, without any value: ", paste(colnames(m)[empty], collapse = " "))
  m <- m[, !empty, drop = FALSE]
}
if (ncol(m) < 2) stop("fewer than two ", factor_name, " to cluster in ", matrix_file)

d <- dist(t(m), method = "euclidean")
if (anyNA(d)) {
  # Two levels that never share a row with a value in both (varieties that
  # were not grown in the same year and place) have no distance at all.
  apart <- which(is.na(as.matrix(d)), arr.ind = TRUE)
  apart <- apart[apart[, 1] < apart[, 2], , drop = FALSE]
  pairs <- paste(colnames(m)[apart[, 1]], colnames(m)[apart[, 2]], sep = " and ")
  shown <- head(pairs, 10)
  message("No distance can be computed between ", factor_name, " that share no row ",
          "with a value in both: ", paste(shown, collapse = "; "),
          if (length(pairs) > length(shown)) paste0("; and ", length(pairs) - length(shown),
                                                    " pairs more") else "")
  message("Leave out one level of each such pair (the one with fewer values), ",
          "or let clustmat do it: clustmat --tree leaves such levels out and ",
          "says which.")
  quit(status = 1)
}
tree <- hclust(d, method = "ward.D2")

png(picture, width = 800, height = 500, type = "cairo")
# Drawn as a dendrogram object: plot() of the tree itself refuses a tree of
# two leaves (two years, say).
plot(as.dendrogram(tree),
     main = paste0("Ward clusters of the ", factor_name, " in ", basename(matrix_file)),
     sub = paste0("Euclidean distances over ", nrow(m), " rows"),
     ylab = "height (Ward, ward.D2)")
invisible(dev.off())
cat("wrote", picture, "\n")
