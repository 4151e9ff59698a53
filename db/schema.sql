-- The tables of the `screen` database that the print service reads, typed as the point-of-sale
-- front end types them. Of the front end's tables the service writes only `print`.`status`; the
-- last table is the service's own, which it creates itself where it is missing.
-- Load into an existing database: mariadb screen < db/schema.sql

SET NAMES utf8mb4;

CREATE TABLE `printers` (
  `id` INT NOT NULL AUTO_INCREMENT,
  `name` VARCHAR(50) NOT NULL DEFAULT '',
  `port` INT NULL,
  PRIMARY KEY (`id`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE `settings` (
  `id` INT NOT NULL AUTO_INCREMENT,
  `name` VARCHAR(50) NOT NULL DEFAULT '',
  `value` VARCHAR(255) NULL,
  PRIMARY KEY (`id`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE `print` (
  `id` INT NOT NULL AUTO_INCREMENT,
  `zakaz` INT NULL,
  `podzakaz` INT NULL,
  `type` VARCHAR(20) NOT NULL DEFAULT '',
  `status` VARCHAR(10) NOT NULL DEFAULT 'no',
  PRIMARY KEY (`id`),
  KEY `status_id` (`status`, `id`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE `zakaz` (
  `id` INT NOT NULL AUTO_INCREMENT,
  `date_open` INT NULL,
  `date_close` INT NULL,
  `client` INT NULL,
  `podzakaz` INT NULL,
  `status` VARCHAR(20) NULL,
  `tables` INT NULL,
  `waitres` VARCHAR(100) NULL,
  PRIMARY KEY (`id`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE `podzakaz` (
  `id` INT NOT NULL AUTO_INCREMENT,
  `zakaz` INT NULL,
  `podzakaz` INT NULL,
  `menu` INT NULL,
  `name_menu` VARCHAR(255) NULL,
  `kolvo` INT NULL,
  `price` INT NULL,
  `printer` INT NULL,
  `waitres` VARCHAR(100) NULL,
  PRIMARY KEY (`id`),
  KEY `zakaz` (`zakaz`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE `menu` (
  `id` INT NOT NULL AUTO_INCREMENT,
  `name` VARCHAR(255) NOT NULL DEFAULT '',
  PRIMARY KEY (`id`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE `tables` (
  `id` INT NOT NULL AUTO_INCREMENT,
  `name` VARCHAR(100) NOT NULL DEFAULT '',
  `cat_tables` INT NULL,
  `procent` INT NULL,
  PRIMARY KEY (`id`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE `cat_tables` (
  `id` INT NOT NULL AUTO_INCREMENT,
  `name` VARCHAR(100) NOT NULL DEFAULT '',
  PRIMARY KEY (`id`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE `clients` (
  `id` INT NOT NULL AUTO_INCREMENT,
  `name` VARCHAR(100) NOT NULL DEFAULT '',
  `discount` INT NULL,
  PRIMARY KEY (`id`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE `pay` (
  `id` INT NOT NULL AUTO_INCREMENT,
  `zakaz` INT NULL,
  `type_pay` INT NULL,
  `cash_pay` INT NULL,
  PRIMARY KEY (`id`),
  KEY `zakaz` (`zakaz`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

CREATE TABLE `type_pay` (
  `id` INT NOT NULL AUTO_INCREMENT,
  `name` VARCHAR(100) NOT NULL DEFAULT '',
  PRIMARY KEY (`id`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;

-- The service's journal of documents: for each document of a waiting `print` row, whether it has
-- been handed to its printer or has ended there, on which computer and printer, under which
-- identity; and the hold of a row whose job failed ("job"). Lines of a printed row are "marked".
-- `print_id` holds the row's key: its id, then its type, order and sub-order ("17 podzakaz 100 2"),
-- so that a row with a reused id never inherits an older row's lines.
CREATE TABLE `talvex_documents` (
  `print_id` VARCHAR(64) NOT NULL,
  `document` VARCHAR(64) NOT NULL,
  `state` VARCHAR(10) NOT NULL,
  `computer` VARCHAR(255) NOT NULL DEFAULT '',
  `printer` VARCHAR(255) NOT NULL DEFAULT '',
  `identity` VARCHAR(64) NOT NULL DEFAULT '',
  `spooler_job` VARCHAR(64) NOT NULL DEFAULT '',
  `discount` INT NOT NULL DEFAULT 0,
  `held_until` DATETIME(3) NULL,
  `service` VARCHAR(64) NOT NULL DEFAULT '',
  `at` DATETIME(3) NOT NULL,
  PRIMARY KEY (`print_id`, `document`),
  KEY `state` (`state`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_general_ci;
